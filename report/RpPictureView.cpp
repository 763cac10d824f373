#include "RpPictureView.h"

#include "RpPage.h"
#include "RpQtMeasure.h"
#include "ValueText.h"

#include <QPainter>

#include <limits>

namespace report {

TrpPictureView::TrpPictureView()
{
    TypeCode = ObjectType::Picture;
    BaseName = "Picture";
}

void TrpPictureView::AssignProperty(const std::string& name, const Variant& value)
{
    const std::string n = UpperName(name);
    if (n == "CENTER" || n == "KEEPASPECT") {
        const std::uint16_t bit = n == "CENTER" ? PictureFlag::Center : PictureFlag::KeepAspect;
        Flags = static_cast<std::uint16_t>(value.toBoolean() ? (Flags | bit) : (Flags & ~bit));
    } else if (n == "BLOBTYPE") {
        BlobType = static_cast<std::uint8_t>(value.toInteger());
    } else if (n == "PICTURE") {
        // A reference that finds no picture object changes nothing.
        if (value.type() == VarType::Integer)
            if (const TrpPictureView* source = FindPictureById(value.integerValue()))
                AssignPicture(source->Picture);
    } else {
        TrpView::AssignProperty(name, value);
    }
}

Variant TrpPictureView::ReadProperty(const std::string& name)
{
    const std::string n = UpperName(name);
    if (n == "CENTER")
        return Variant((Flags & PictureFlag::Center) != 0);
    if (n == "KEEPASPECT")
        return Variant((Flags & PictureFlag::KeepAspect) != 0);
    if (n == "BLOBTYPE")
        return Variant(std::int32_t(BlobType));
    if (n == "PICTURE")
        return Variant(ID);
    return TrpView::ReadProperty(name);
}

Variant TrpPictureView::CallMethod(const std::string& name, const Variant& p1, const Variant& p2,
                                   const Variant& p3)
{
    if (UpperName(name) == "LOADFROMFILE") {
        const Variant value = Host().Evaluate(p1.toText());
        const std::string path = value.isNull() ? std::string() : value.toText();
        std::string bytes;
        if (!path.empty() && Host().LoadFile(path, bytes))
            Picture.LoadAnyKind(std::move(bytes));
        return Variant::null();
    }
    return TrpView::CallMethod(name, p1, p2, p3);
}

void TrpPictureView::AssignPicture(const TrpPicture& picture)
{
    if (&picture != &Picture)
        Picture = picture;
}

const TrpPictureView* TrpPictureView::FindPictureById(std::int32_t id) const
{
    if (id == ID)
        return this;
    const TrpPages* pages = ParentPage != nullptr ? ParentPage->Owner() : nullptr;
    if (pages == nullptr)
        return nullptr;
    for (std::size_t i = 0; i < pages->Count(); ++i)
        for (const auto& view : pages->Page(i).Objects)
            if (view->ID == id)
                if (const auto* picture = dynamic_cast<const TrpPictureView*>(view.get()))
                    return picture;
    return nullptr;
}

void TrpPictureView::RegisterProperties()
{
    if (!properties_.empty())
        return;
    TrpView::RegisterProperties();
    AddProperty("Picture", 0);
    AddProperty("Stretched", 8);
    AddProperty("Center", 8);
    AddProperty("KeepAspect", 8);
    AddProperty("DataField", 0);
    AddProperty("BlobType", 32, "btBMP;btJPG;btICO;btWMF");
}

void TrpPictureView::LoadFromBlob(const TrpBlob& blob)
{
    if (blob.IsNull) {
        Picture.Clear();
        return;
    }
    static const TrpPictureKind kKinds[] = {TrpPictureKind::Bitmap, TrpPictureKind::Jpeg, TrpPictureKind::Icon,
                                            TrpPictureKind::Metafile};
    Picture.Load(BlobType < 4 ? kKinds[BlobType] : TrpPictureKind::Bitmap, blob.Bytes);
}

QRect TrpPictureView::TargetRect() const
{
    const QSize size = Picture.Size();
    const int imageWidth = size.width();
    const int imageHeight = size.height();
    if (Flags & PictureFlag::Stretched) {
        QRect target(Left, Top, Width, Height);
        if ((Flags & PictureFlag::KeepAspect) && imageWidth > 0 && imageHeight > 0) {
            const double kx = double(Width) / imageWidth;
            const double ky = double(Height) / imageHeight;
            if (kx >= ky)
                target.setWidth(RoundToInt(imageWidth * ky));
            else
                target.setHeight(RoundToInt(imageHeight * kx));
            if (Flags & PictureFlag::Center)
                target.translate((Width - target.width()) / 2, (Height - target.height()) / 2);
        }
        return target;
    }
    QRect target(Left, Top, RoundToInt(imageWidth * PaintScaleX), RoundToInt(imageHeight * PaintScaleY));
    if (Flags & PictureFlag::Center)
        target.translate((Width - target.width()) / 2, (Height - target.height()) / 2);
    return target;
}

void TrpPictureView::Paint(QPainter& painter)
{
    ApplyBandAlign();
    ApplyScale();
    PaintFill(painter);
    const bool running = Running();
    if (Picture.HasImage()) {
        painter.drawImage(TargetRect(), Picture.Image());
    } else if (!running) {
        // No picture, or one that does not decode here (a metafile, a
        // damaged or oversized image): the empty-picture frame.
        TrpFont font;
        font.Size = 8;
        painter.save();
        painter.setFont(MakeQFont(font, FontPixelHeight(8)));
        painter.setPen(Qt::black);
        const QString text = QString::fromStdString(Host().EngineText(kEmptyPictureText));
        painter.drawText(QPoint(Left + 20, Top + 3 + painter.fontMetrics().ascent()), text);
        painter.restore();
    }
    PaintFrame(painter);
    RestoreGeometry();
}

void TrpPictureView::ReadFromStream(TrpStream& stream)
{
    TrpView::ReadFromStream(stream);
    const auto kind = static_cast<TrpPictureKind>(stream.ReadByte());
    if (FormatMajor * 10 + FormatMinor > 10)
        BlobType = stream.ReadByte();
    const auto end = static_cast<std::uint32_t>(stream.ReadInt32());
    const std::size_t start = stream.Position();
    if (end < start || end > stream.Size())
        throw EReadError("picture data ends outside the stream");
    // Kept whether or not it decodes, so the object writes back unchanged.
    Picture.Load(kind, stream.ReadBytes(end - start));
}

void TrpPictureView::WriteToStream(TrpStream& stream)
{
    TrpView::WriteToStream(stream);
    stream.WriteByte(static_cast<std::uint8_t>(Picture.Kind()));
    stream.WriteByte(BlobType);
    const std::size_t placeholder = stream.Position();
    stream.WriteInt32(0);
    stream.WriteBytes(Picture.Data());
    const std::size_t end = stream.Position();
    if (end > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError("picture data lies beyond 2 GB in the stream");
    stream.Seek(placeholder);
    stream.WriteInt32(static_cast<std::int32_t>(end));
    stream.Seek(end);
}

} // namespace report
