#include "RpPage.h"

#include "RpBandView.h"
#include "RpDialogPage.h"
#include "ValueText.h"

#include <QImage>
#include <QPainter>

namespace report {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return UpperName(a) == UpperName(b);
}

// Page setup's conversions: 18 report pixels make 5 millimetres.
std::int32_t PixelsToTenths(std::int32_t pixels)
{
    return RoundToInt(pixels * 10.0 * 5.0 / 18.0);
}

std::int32_t TenthsToPagePixels(std::int32_t tenths)
{
    return RoundToInt(tenths / 10.0 * 18.0 / 5.0);
}

std::uint16_t WordBool(bool value)
{
    return value ? 0xFFFF : 0;
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

TrpPage::~TrpPage() = default;

TrpPrinter& TrpPage::Printer() const
{
    return owner_ != nullptr && owner_->Printer != nullptr ? *owner_->Printer : EnginePrinter();
}

TrpViewHost& TrpPage::PageHost() const
{
    return owner_ != nullptr && owner_->Host != nullptr ? *owner_->Host : TrpViewHost::Default();
}

void TrpPage::ApplyPaper(std::int32_t paperSize, std::int32_t bin, std::int32_t width, std::int32_t height,
                         std::uint8_t orientation)
{
    TrpPrinter& printer = Printer();
    try {
        printer.ApplyPageSettings(paperSize, width, height, false, orientation, bin);
    } catch (const std::exception&) {
        printer.ApplyPageSettings(kCustomPaper, width, height, false, orientation, -1);
    }
    printer.GetPageMetrics(PageInfo);
    PaperSize = printer.PaperSize;
    PaperWidth = printer.PaperWidth;
    PaperHeight = printer.PaperHeight;
    Orientation = printer.Orientation;
    // Bins are 16-bit codes: the default bin, -1, is 0xFFFF in a page and
    // in the templates it is read from.
    Bin = static_cast<std::int16_t>(bin) == -1 ? kDefaultBin : static_cast<std::uint16_t>(printer.Bin);
}

std::string TrpPage::PaperNamesText() const
{
    const std::vector<std::string>& names = Printer().PaperNames();
    if (names.empty())
        return "No data";
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : ";") + names[i];
    return text;
}

std::vector<std::int32_t> TrpPage::PaperSizesArray() const
{
    const std::vector<std::int16_t>& codes = Printer().PaperCodes();
    return {codes.begin(), codes.end()};
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
    std::int32_t limit = PageInfo.SheetHeight;
    if (UseMargins != 0)
        limit = MarginBottom != 0 ? PageInfo.SheetHeight - MarginBottom : PageInfo.OffsetY + PageInfo.PrintableHeight;
    if (PageHost().IsRunning())
        for (const auto& view : Objects)
            if (const auto* band = dynamic_cast<const TrpBandView*>(view.get());
                band != nullptr && band->BandType() == static_cast<int>(TrpBandType::PageFooter))
                return limit - band->Height;
    return limit;
}

void TrpPage::RunScript()
{
    if (!Script.empty())
        PageHost().RunPageScript(*this);
}

// Script properties of a page:
//
// | name                      | reads and writes                               |
// |---------------------------|------------------------------------------------|
// | LEFT, TOP                 | the dialog form's position                     |
// | WIDTH, HEIGHT             | dialog page: the form's size; report page: the |
// |                           | sheet, report pixels outside, tenths inside    |
// | TYPE, BORDERSTYLE,        | as stored                                      |
// | CAPTION, NAME, COLOR,     |                                                |
// | POSITION, ORIENTATION,    |                                                |
// | COLUMNS, COLUMNGAP,       |                                                |
// | COLUMNWIDTH               |                                                |
// | SIZE                      | the paper code, the paper not applied          |
// | LEFTMARGIN ... BOTTOM-    | the stored margins; read during a run as the   |
// | MARGIN                    | printable limits                               |
// | PRINTTOPREVPAGE, VISIBLE  | Booleans                                       |
// | STRETCHTOPRINTABLE        | not use margins                                |
void TrpPage::AssignProperty(const std::string& name, const Variant& value)
{
    const std::string n = UpperName(name);
    const bool dialog = PageType == 1;
    if (n == "LEFT")
        FormLeft = value.toInteger();
    else if (n == "TOP")
        FormTop = value.toInteger();
    else if (n == "WIDTH")
        (dialog ? FormWidth : PaperWidth) = dialog ? value.toInteger() : PixelsToTenths(value.toInteger());
    else if (n == "HEIGHT")
        (dialog ? FormHeight : PaperHeight) = dialog ? value.toInteger() : PixelsToTenths(value.toInteger());
    else if (n == "TYPE")
        PageType = static_cast<std::uint8_t>(value.toInteger());
    else if (n == "BORDERSTYLE")
        BorderStyle = static_cast<std::uint8_t>(value.toInteger());
    else if (n == "CAPTION")
        Caption = value.toText();
    else if (n == "NAME")
        Name = value.toText();
    else if (n == "COLOR")
        Color = value.toInteger();
    else if (n == "POSITION")
        Position = static_cast<std::uint8_t>(value.toInteger());
    else if (n == "SIZE")
        PaperSize = value.toInteger();
    else if (n == "LEFTMARGIN")
        MarginLeft = value.toInteger();
    else if (n == "TOPMARGIN")
        MarginTop = value.toInteger();
    else if (n == "RIGHTMARGIN")
        MarginRight = value.toInteger();
    else if (n == "BOTTOMMARGIN")
        MarginBottom = value.toInteger();
    else if (n == "ORIENTATION")
        Orientation = static_cast<std::uint8_t>(value.toInteger());
    else if (n == "PRINTTOPREVPAGE")
        PrintToPrevPage = WordBool(value.toBoolean());
    else if (n == "STRETCHTOPRINTABLE")
        UseMargins = WordBool(!value.toBoolean());
    else if (n == "COLUMNS")
        Columns = value.toInteger();
    else if (n == "COLUMNGAP")
        ColumnGap = value.toInteger();
    else if (n == "COLUMNWIDTH")
        ColumnWidth = value.toInteger();
    else if (n == "VISIBLE")
        Visible = value.toBoolean();
}

Variant TrpPage::ReadProperty(const std::string& name)
{
    const std::string n = UpperName(name);
    const bool dialog = PageType == 1;
    const bool running = PageHost().IsRunning();
    if (n == "LEFT")
        return FormLeft;
    if (n == "TOP")
        return FormTop;
    if (n == "WIDTH")
        return dialog ? FormWidth : TenthsToPagePixels(PaperWidth);
    if (n == "HEIGHT")
        return dialog ? FormHeight : TenthsToPagePixels(PaperHeight);
    if (n == "TYPE")
        return std::int32_t(PageType);
    if (n == "BORDERSTYLE")
        return std::int32_t(BorderStyle);
    if (n == "CAPTION")
        return Caption;
    if (n == "NAME")
        return Name;
    if (n == "COLOR")
        return Color;
    if (n == "POSITION")
        return std::int32_t(Position);
    if (n == "SIZE")
        return PaperSize;
    if (n == "LEFTMARGIN")
        return running ? LeftLimit() : MarginLeft;
    if (n == "TOPMARGIN")
        return running ? TopLimit() : MarginTop;
    if (n == "RIGHTMARGIN")
        return running ? RightLimit() : MarginRight;
    if (n == "BOTTOMMARGIN")
        return running ? BottomLimit() : MarginBottom;
    if (n == "ORIENTATION")
        return std::int32_t(Orientation);
    if (n == "PRINTTOPREVPAGE")
        return PrintToPrevPage != 0;
    if (n == "STRETCHTOPRINTABLE")
        return UseMargins == 0;
    if (n == "COLUMNS")
        return Columns;
    if (n == "COLUMNGAP")
        return ColumnGap;
    if (n == "COLUMNWIDTH")
        return ColumnWidth;
    if (n == "VISIBLE")
        return Visible;
    return Variant::null();
}

void TrpPage::RegisterProperties()
{
    if (!properties_.empty())
        return;
    constexpr std::int16_t kPlain = 0, kBoolean = 8, kColor = 16, kEnum = 32, kText = 256, kEvent = 512;
    AddProperty("Type", kEnum, "ptReport;ptDialog");
    AddProperty("Visible", kBoolean);
    AddProperty("BorderStyle", kEnum, "bsDialog;bsSizeable");
    AddProperty("Caption", kText);
    AddProperty("Color", kColor);
    for (const char* geometry : {"Left", "Top", "Width", "Height"})
        AddProperty(geometry, kPlain);
    AddProperty("Position", kEnum, "poDesigned;poScreenCenter");
    AddProperty("OnActivate", kEvent);
    AddProperty("Size", kPlain);
    for (const char* margin : {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"})
        AddProperty(margin, kPlain);
    AddProperty("Orientation", kEnum, "poPortrait;poLandscape");
    AddProperty("PrintToPrevPage", kBoolean);
    AddProperty("StretchToPrintable", kBoolean);
    for (const char* columns : {"Columns", "ColumnWidth", "ColumnGap"})
        AddProperty(columns, kPlain);
    AddProperty("OnBeforePrint", kEvent);
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
