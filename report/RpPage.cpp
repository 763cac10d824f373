#include "RpPage.h"

#include "ValueText.h"

#include <QImage>
#include <QPainter>

namespace report {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return UpperName(a) == UpperName(b);
}

// Tenths of a millimetre as report pixels (93 / 1.015 per inch).
std::int32_t TenthsToPixels(std::int32_t tenths)
{
    return static_cast<std::int32_t>(RoundHalfEven(tenths / 254.0 * 93.0 / 1.015));
}

} // namespace

TrpPage::TrpPage(TrpPages* owner, std::int32_t paperSize, std::int32_t width, std::int32_t height,
                 std::int32_t bin, std::uint8_t orientation)
    : owner_(owner)
{
    ApplyPaper(paperSize, bin, width, height, orientation);
}

std::size_t TrpPage::Index() const
{
    if (owner_ != nullptr)
        for (std::size_t i = 0; i < owner_->Count(); ++i)
            if (&owner_->Page(i) == this)
                return i;
    return 0;
}

void TrpPage::ApplyPaper(std::int32_t paperSize, std::int32_t bin, std::int32_t width, std::int32_t height,
                         std::uint8_t orientation)
{
    if (owner_ != nullptr && owner_->ApplyPaper) {
        owner_->ApplyPaper(*this, paperSize, bin, width, height, orientation);
        return;
    }
    PaperSize = paperSize;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = orientation;
    Bin = bin == -1 ? kDefaultBin : bin;
    PageInfo.SheetWidth = TenthsToPixels(width);
    PageInfo.SheetHeight = TenthsToPixels(height);
    PageInfo.OffsetX = PageInfo.OffsetY = 18;
    PageInfo.PrintableWidth = PageInfo.SheetWidth - 36;
    PageInfo.PrintableHeight = PageInfo.SheetHeight - 36;
}

std::int32_t TrpPage::TopLimit() const
{
    if (UseMargins == 0)
        return 0;
    return MarginTop != 0 ? MarginTop : PageInfo.OffsetY;
}

std::int32_t TrpPage::LeftLimit() const
{
    if (UseMargins == 0)
        return 0;
    return MarginLeft != 0 ? MarginLeft : PageInfo.OffsetX;
}

std::int32_t TrpPage::RightLimit() const
{
    if (UseMargins == 0)
        return PageInfo.SheetWidth;
    return MarginRight != 0 ? PageInfo.SheetWidth - MarginRight : PageInfo.OffsetX + PageInfo.PrintableWidth;
}

std::int32_t TrpPage::BottomLimit() const
{
    if (UseMargins == 0)
        return PageInfo.SheetHeight;
    return MarginBottom != 0 ? PageInfo.SheetHeight - MarginBottom : PageInfo.OffsetY + PageInfo.PrintableHeight;
}

TrpView* TrpPage::FindView(const std::string& name) const
{
    for (const auto& view : Objects)
        if (SameName(view->Name, name))
            return view.get();
    return nullptr;
}

void TrpPage::SetDefaultName()
{
    if (owner_ != nullptr) {
        Name = owner_->UniquePageName(this);
        owner_->NoteName(Name);
    } else {
        Name = "Page1";
    }
}

TrpView* TrpPage::AddObject(std::unique_ptr<TrpView> view)
{
    view->ParentPage = this;
    Objects.push_back(std::move(view));
    return Objects.back().get();
}

void TrpPage::ReadRecord(TrpStream& stream)
{
    Script.clear();
    const int version = stream.Version;
    const std::int32_t marker = stream.ReadInt32();
    const std::int32_t paper = marker == -1 ? stream.ReadInt32() : marker;
    const std::int32_t width = stream.ReadInt32();
    const std::int32_t height = stream.ReadInt32();
    MarginLeft = stream.ReadInt32();
    MarginTop = stream.ReadInt32();
    MarginRight = stream.ReadInt32();
    MarginBottom = stream.ReadInt32();
    const std::uint8_t orientation = stream.ReadByte();
    if (version <= 22)
        stream.Skip(6);
    const std::int32_t bin = version >= 24 ? stream.ReadInt32() : -1;
    PrintToPrevPage = stream.ReadUInt16();
    UseMargins = stream.ReadUInt16();
    Columns = stream.ReadInt32();
    ColumnGap = stream.ReadInt32();
    if (version >= 24) {
        PageType = stream.ReadByte();
        Name = ReadCountedString(stream);
        const std::uint8_t border = stream.ReadByte();
        BorderStyle = border == 0 ? 3 : border == 1 ? 2 : border;
        Caption = ReadCountedString(stream);
        Color = stream.ReadInt32();
        FormLeft = stream.ReadInt32();
        FormTop = stream.ReadInt32();
        FormWidth = stream.ReadInt32();
        FormHeight = stream.ReadInt32();
        Position = stream.ReadByte() != 0 ? 4 : 0;
        if (marker == -1)
            ReadLineList(stream, Script);
    } else {
        PageType = 0;
        SetDefaultName();
    }
    ApplyPaper(paper, bin, width, height, orientation);
}

void TrpPage::WriteRecord(TrpStream& stream) const
{
    stream.WriteInt32(-1);
    stream.WriteInt32(PaperSize);
    stream.WriteInt32(PaperWidth);
    stream.WriteInt32(PaperHeight);
    stream.WriteInt32(MarginLeft);
    stream.WriteInt32(MarginTop);
    stream.WriteInt32(MarginRight);
    stream.WriteInt32(MarginBottom);
    stream.WriteByte(Orientation);
    stream.WriteInt32(Bin);
    stream.WriteUInt16(PrintToPrevPage);
    stream.WriteUInt16(UseMargins);
    stream.WriteInt32(Columns);
    stream.WriteInt32(ColumnGap);
    stream.WriteByte(PageType);
    WriteCountedString(stream, Name);
    stream.WriteByte(BorderStyle);
    WriteCountedString(stream, Caption);
    stream.WriteInt32(Color);
    stream.WriteInt32(FormLeft);
    stream.WriteInt32(FormTop);
    stream.WriteInt32(FormWidth);
    stream.WriteInt32(FormHeight);
    stream.WriteByte(Position);
    WriteLineList(stream, Script);
}

TrpPage& TrpPages::Add()
{
    pages_.push_back(std::make_unique<TrpPage>(this, TrpPage::kA4, 2100, 2970, -1, 0));
    return *pages_.back();
}

TrpView* TrpPages::FindObject(const std::string& name) const
{
    for (const auto& page : pages_)
        if (TrpView* view = page->FindView(name))
            return view;
    return nullptr;
}

std::string TrpPages::IndexedName(const std::string& base)
{
    const std::string upper = UpperName(base);
    int& next = nextFree_.try_emplace(upper, 1).first->second;
    while (next <= 10000 && names_.count(upper + std::to_string(next)) != 0)
        ++next;
    return next <= 10000 ? base + std::to_string(next) : std::string();
}

std::string TrpPages::UniqueObjectName(const std::string& base)
{
    if (indexing_)
        return IndexedName(base);
    for (int n = 1; n <= 10000; ++n) {
        const std::string candidate = base + std::to_string(n);
        if (FindObject(candidate) == nullptr)
            return candidate;
    }
    return {};
}

std::string TrpPages::UniquePageName(const TrpPage* except)
{
    if (indexing_)
        return IndexedName("Page");
    for (int n = 1; n <= 10000; ++n) {
        const std::string candidate = "Page" + std::to_string(n);
        bool used = false;
        for (const auto& page : pages_)
            used = used || (page.get() != except && SameName(page->Name, candidate));
        if (!used)
            return candidate;
    }
    return {};
}

void TrpPages::BeginNameIndex()
{
    indexing_ = true;
    names_.clear();
    nextFree_.clear();
    for (const auto& page : pages_) {
        NoteName(page->Name);
        for (const auto& view : page->Objects)
            NoteName(view->Name);
    }
}

void TrpPages::EndNameIndex()
{
    indexing_ = false;
    names_.clear();
    nextFree_.clear();
}

void TrpPages::NoteName(const std::string& name)
{
    if (indexing_ && !name.empty())
        names_.insert(UpperName(name));
}

void TrpPages::CalcPass()
{
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter painter(&image);
    for (const auto& page : pages_)
        for (const auto& view : page->Objects)
            if (view->BandAlign != TrpBandAlign::None)
                view->Paint(painter);
}

} // namespace report
