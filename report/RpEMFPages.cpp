#include "RpEMFPages.h"

#include "RpMemoView.h"
#include "RpTextRecorder.h"
#include "ValueText.h"

#include <QDesktopServices>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace report {

namespace {


// The object's rectangle on the device: left, top, right and bottom, each
// rounded on its own.
struct DeviceRect {
    int left, top, right, bottom;
};

DeviceRect Place(const TrpView& view, double scaleX, double scaleY, double offsetX, double offsetY)
{
    const double x = view.Left;
    const double y = view.Top;
    return {RoundToInt(x * scaleX + offsetX), RoundToInt(y * scaleY + offsetY), RoundToInt((x + view.Width) * scaleX + offsetX),
            RoundToInt((y + view.Height) * scaleY + offsetY)};
}

// Limits of what a page can hold.  Objects come from files, and drawing
// does integer arithmetic on their geometry at scales up to kMaxScale: an
// object beyond these limits marks a damaged page, not a real one.
constexpr std::int32_t kMaxCoordinate = TrpEMFPages::kMaxCoordinate;
constexpr std::int32_t kMaxFontSize = 1638;      // points
constexpr std::int32_t kMaxCharSpacing = 1000;
constexpr double kMaxFrameWidth = 1000;
constexpr double kMaxScale = 256;
constexpr double kMinScale = 1.0 / 1024;

bool Within(std::int64_t value, std::int64_t limit)
{
    return value >= -limit && value <= limit;
}

bool Plausible(const TrpView& view)
{
    for (const std::int64_t value : {std::int64_t(view.Left), std::int64_t(view.Top), std::int64_t(view.Width),
                                     std::int64_t(view.Height), std::int64_t(view.GapX), std::int64_t(view.GapY)})
        if (!Within(value, kMaxCoordinate))
            return false;
    if (!(view.FrameWidth >= -kMaxFrameWidth && view.FrameWidth <= kMaxFrameWidth))
        return false;
    if (const auto* memo = dynamic_cast<const TrpMemoView*>(&view))
        return Within(memo->Font.Size, kMaxFontSize) && Within(memo->LineSpacing, kMaxCoordinate) &&
               Within(memo->CharSpacing, kMaxCharSpacing);
    return true;
}

bool IsLinkObject(const TrpView& view)
{
    return view.Name.compare(0, 3, "URL") == 0;
}

// Printers and PDF files take every object; so do pictures (recordings of
// painting), which are played later onto devices of their own, and the
// text recordings that the preview searches.
bool DrawsEverything(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    return dynamic_cast<const QPagedPaintDevice*>(device) != nullptr || device->devType() == QInternal::Picture ||
           dynamic_cast<const TrpTextRecorder*>(device) != nullptr;
}

// The part of the painter's logical plane that reaches its device.
QRectF VisibleArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    bool invertible = false;
    const QTransform toLogical = painter.worldTransform().inverted(&invertible);
    if (!invertible)
        return {};
    QRectF area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    return area;
}

} // namespace

void TrpPreparedOwner::OpenWebAddress(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

bool IsWebAddress(const std::string& link)
{
    const QUrl url(QString::fromStdString(link), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// The host of rebuilt objects: the owner's engine host for measurers and
// texts, but always in run-time mode, which is how prepared objects are
// drawn (scaled, without design-time marks), and never inside a band.
class TrpEMFPages::RunHost : public TrpViewHost {
public:
    explicit RunHost(TrpEMFPages& pages) : pages_(pages) {}

    bool IsRunning() const override { return true; }
    bool IsFirstPass() const override { return false; }
    bool GetPrintingBand(TrpPrintingBand&) const override { return false; }
    Variant Evaluate(const std::string& expression) override { return Inner().Evaluate(expression); }
    Variant EvalPostfix(const std::string& postfix) override { return Inner().EvalPostfix(postfix); }
    std::string ExpressionText(const std::string& expression, TrpView& view) override
    {
        return Inner().ExpressionText(expression, view);
    }
    const TrpMeasurerFactory& Measurers() const override { return Inner().Measurers(); }
    bool LoadFile(const std::string& path, std::string& bytes) override { return Inner().LoadFile(path, bytes); }
    std::string EngineText(int id) const override { return Inner().EngineText(id); }
    void ExportObject(TrpView& view) override { Inner().ExportObject(view); }
    void ExportText(const QRect& clip, int x, int y, const std::string& text, std::uint16_t frameLines,
                    TrpView& view) override
    {
        Inner().ExportText(clip, x, y, text, frameLines, view);
    }

private:
    TrpViewHost& Inner() const
    {
        const TrpPages* pages = pages_.Owner().TemplatePages();
        return pages != nullptr && pages->Host != nullptr ? *pages->Host : TrpViewHost::Default();
    }

    TrpEMFPages& pages_;
};

TrpEMFPages::TrpEMFPages(TrpPreparedOwner* owner)
    : owner_(owner != nullptr ? owner : &ownDefault_),
      runHost_(std::make_unique<RunHost>(*this)),
      rebuildOwner_(std::make_unique<TrpPages>())
{
    rebuildOwner_->Host = runHost_.get();
}

TrpEMFPages::~TrpEMFPages() = default;

void TrpEMFPages::Clear()
{
    pages_.clear();
}

TrpEMFPage& TrpEMFPages::InsertPage(std::size_t index, const TrpPage& templatePage)
{
    auto record = std::make_unique<TrpEMFPage>();
    record->Content.WriteByte(kPreparedVersion);
    record->PaperSize = static_cast<std::int16_t>(templatePage.PaperSize);
    record->Width = templatePage.PaperWidth;
    record->Height = templatePage.PaperHeight;
    record->Orientation = templatePage.Orientation;
    record->Bin = templatePage.Bin;
    record->UseMargins = templatePage.UseMargins != 0 ? 1 : 0;
    record->MarginLeft = templatePage.MarginLeft;
    record->MarginTop = templatePage.MarginTop;
    record->MarginRight = templatePage.MarginRight;
    record->MarginBottom = templatePage.MarginBottom;
    record->PageInfo = templatePage.PageInfo;
    const auto at = pages_.begin() + static_cast<std::ptrdiff_t>(std::min(index, pages_.size()));
    return **pages_.insert(at, std::move(record));
}

TrpEMFPage& TrpEMFPages::AddPage(const TrpPage& templatePage)
{
    TrpEMFPage& record = InsertPage(pages_.size(), templatePage);
    owner_->BeginPage();
    return record;
}

void TrpEMFPages::DeletePage(std::size_t index)
{
    if (index < pages_.size())
        pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(index));
}

// ---- rebuilding -----------------------------------------------------------

TrpPages& TrpEMFPages::RebuildOwner()
{
    const TrpPages* templatePages = owner_->TemplatePages();
    rebuildOwner_->Printer = templatePages != nullptr ? templatePages->Printer : nullptr;
    return *rebuildOwner_;
}

std::unique_ptr<TrpPage> TrpEMFPages::MakePage(const TrpEMFPage& record)
{
    auto page = std::make_unique<TrpPage>(&RebuildOwner(), record.PaperSize, record.Width, record.Height,
                                          record.Bin, record.Orientation);
    page->MarginLeft = record.MarginLeft;
    page->MarginTop = record.MarginTop;
    page->MarginRight = record.MarginRight;
    page->MarginBottom = record.MarginBottom;
    page->UseMargins = record.UseMargins != 0 ? 0xFFFF : 0;
    return page;
}

TrpPageInfo TrpEMFPages::PageInfoFor(const TrpEMFPage& record)
{
    return MakePage(record)->PageInfo;
}

bool TrpEMFPages::ReadObjects(TrpStream& content, TrpPage& page, bool measure)
{
    std::unique_ptr<QImage> canvas;
    std::unique_ptr<QPainter> painter;
    bool intact = true;
    try {
        content.Seek(0);
        content.Version = content.ReadByte();
        while (!content.AtEnd()) {
            const std::uint8_t type = content.ReadByte();
            const std::string className = type == ObjectType::AddIn ? ReadStreamString(content) : std::string();
            std::unique_ptr<TrpView> created = CreateViewByType(type, className, owner_->AddIns());
            if (created == nullptr)
                throw EReadError("object type " + std::to_string(type) + " in a prepared page");
            created->PreparedMode = true;
            TrpView* view = page.AddObject(std::move(created));
            try {
                view->ReadFromStream(content);
                if (!Plausible(*view))
                    throw EReadError("an object of a prepared page lies beyond the page's limits");
            } catch (...) {
                page.Objects.pop_back();
                throw;
            }
            // A text object that sizes itself measures its width now, so
            // that hit tests see it before the page is drawn.
            if (measure && type == ObjectType::Text && (view->Flags & MemoFlag::AutoWidth) != 0) {
                if (painter == nullptr) {
                    canvas = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
                    painter = std::make_unique<QPainter>(canvas.get());
                }
                view->Paint(*painter);
            }
        }
    } catch (const std::exception&) {
        intact = false;
    }
    // Whatever was read, the stream stays ready for appending.
    content.Seek(content.Size());
    return intact;
}

void TrpEMFPages::RebuildPage(std::size_t index)
{
    if (index >= pages_.size())
        return;
    TrpEMFPage& record = *pages_[index];
    record.Rebuilt.reset();
    std::unique_ptr<TrpPage> page = MakePage(record);
    ReadObjects(record.Content, *page, true);
    record.Rebuilt = std::move(page);
}

void TrpEMFPages::ReleasePage(std::size_t index)
{
    if (index < pages_.size())
        pages_[index]->Rebuilt.reset();
}

void TrpEMFPages::StorePage(std::size_t index)
{
    if (index >= pages_.size() || pages_[index]->Rebuilt == nullptr)
        return;
    TrpEMFPage& record = *pages_[index];
    TrpStream content;
    content.Version = kPreparedVersion;
    content.WriteByte(kPreparedVersion);
    for (const auto& view : record.Rebuilt->Objects) {
        view->PreparedMode = true;
        content.WriteByte(view->TypeCode);
        if (view->TypeCode == ObjectType::AddIn)
            WriteCountedString(content, view->ClassName());
        view->ExpandedLines = view->Memo;
        view->WriteToStream(content);
    }
    record.Content = std::move(content);
}

void TrpEMFPages::ExportPage(std::size_t index)
{
    if (index >= pages_.size())
        return;
    RebuildPage(index);
    for (const auto& view : pages_[index]->Rebuilt->Objects)
        view->RunPrintHook();
    ReleasePage(index);
}

// ---- drawing and hit tests ------------------------------------------------

void TrpEMFPages::PaintPage(std::size_t index, QPainter& painter, const QRect& rect)
{
    if (index >= pages_.size())
        return;
    TrpEMFPage& record = *pages_[index];
    if (!record.Visible) {
        record.Rebuilt.reset();
        return;
    }
    if (record.Rebuilt == nullptr)
        RebuildPage(index);
    const TrpPageInfo& info = record.PageInfo;
    if (info.SheetWidth <= 0 || info.SheetHeight <= 0 || !painter.isActive())
        return;
    const double scaleX = double(rect.width()) / info.SheetWidth;
    const double scaleY = double(rect.height()) / info.SheetHeight;
    if (!Within(rect.left(), kMaxCoordinate * 16) || !Within(rect.top(), kMaxCoordinate * 16) ||
        !(scaleX >= kMinScale && scaleX <= kMaxScale) || !(scaleY >= kMinScale && scaleY <= kMaxScale))
        return;  // nothing shows at such scales (an empty rectangle, a sheet beyond any paper)
    const bool everything = DrawsEverything(painter);
    const QRectF area = everything ? QRectF() : VisibleArea(painter);
    for (const auto& view : record.Rebuilt->Objects) {
        if (!everything) {
            const DeviceRect placed = Place(*view, scaleX, scaleY, rect.left(), rect.top());
            const QRectF widened(QPointF(double(placed.left) - 10, double(placed.top) - 10),
                                 QPointF(double(placed.right) + 10, double(placed.bottom) + 10));
            if (!area.intersects(widened))
                continue;
        }
        view->PaintScaleX = scaleX;
        view->PaintScaleY = scaleY;
        view->PaintOffsetX = rect.left();
        view->PaintOffsetY = rect.top();
        painter.save();
        view->Paint(painter);
        painter.restore();
    }
}

bool TrpEMFPages::HitTest(std::size_t index, QPoint point, std::string& link, Qt::CursorShape& cursor, bool click)
{
    link.clear();
    cursor = Qt::ArrowCursor;
    if (index >= pages_.size())
        return false;
    TrpEMFPage& record = *pages_[index];
    if (record.Rebuilt == nullptr)
        RebuildPage(index);
    double scaleX = 1;
    double scaleY = 1;
    double offsetX = 0;
    double offsetY = 0;
    if (record.UseMargins == 0) {
        const TrpPageInfo& info = record.PageInfo;
        if (info.SheetWidth <= 0 || info.SheetHeight <= 0)
            return false;
        scaleX = (double(info.PrintableWidth) - record.MarginLeft - record.MarginRight) / info.SheetWidth;
        scaleY = (double(info.PrintableHeight) - record.MarginTop - record.MarginBottom) / info.SheetHeight;
        offsetX = double(record.MarginLeft) + info.OffsetX;
        offsetY = double(record.MarginTop) + info.OffsetY;
    }
    const auto& objects = record.Rebuilt->Objects;
    const auto found = std::find_if(objects.rbegin(), objects.rend(), [&](const auto& view) {
        const DeviceRect r = Place(*view, scaleX, scaleY, offsetX, offsetY);
        return point.x() >= r.left && point.x() < r.right && point.y() >= r.top && point.y() < r.bottom;
    });
    if (found == objects.rend())
        return false;
    TrpView& view = **found;

    bool answered = false;
    try {
        answered = click ? owner_->ObjectClick(view) : owner_->MouseOverObject(view, cursor);
    } catch (...) {
        answered = true;  // the handler ran; what it raised is not the preview's business
    }
    if (!IsLinkObject(view))
        return answered;
    if (!click) {
        cursor = Qt::PointingHandCursor;
        link = view.Tag;
    } else if (view.Tag.find('@') != std::string::npos) {
        link = view.Tag;  // a page of this report
    } else if (IsWebAddress(view.Tag)) {
        // Only web addresses: a link must never start a program or open a
        // local file on the reader's machine.
        owner_->OpenWebAddress(view.Tag);
    }
    return true;
}

} // namespace report
