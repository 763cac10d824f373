#include "RpGlobals.h"

#include "RP_Prntr.h"
#include "RpLocale.h"
#include "RpStdFunctions.h"

namespace report {

const std::array<std::uint32_t, 16> kEngineColors = {
    0xFFFFFF, 0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
    0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00,
};

namespace {

constexpr int kEngineNumberText = 55337;
constexpr int kFirstBandNameText = 55077;
constexpr int kFirstBooleanText = 55170;
constexpr int kFirstDateText = 55175;
constexpr int kFirstTimeText = 55179;

constexpr const char* kColorNames[16] = {
    "clWhite", "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy",    "clPurple", "clTeal",
    "clGray",  "clSilver", "clRed",   "clLime",  "clYellow", "clBlue", "clFuchsia", "clAqua",
};

struct NamedValue {
    const char* name;
    std::int32_t value;
};

constexpr std::int32_t SystemColor(std::uint32_t index)
{
    return static_cast<std::int32_t>(0x80000000u | index);
}

constexpr NamedValue kIntegerConstants[] = {
    {"clTransparent", 0x1FFFFFFF},
    {"clScrollBar", SystemColor(0)},
    {"clBackground", SystemColor(1)},
    {"clActiveCaption", SystemColor(2)},
    {"clInactiveCaption", SystemColor(3)},
    {"clMenu", SystemColor(4)},
    {"clWindow", SystemColor(5)},
    {"clWindowFrame", SystemColor(6)},
    {"clMenuText", SystemColor(7)},
    {"clWindowText", SystemColor(8)},
    {"clCaptionText", SystemColor(9)},
    {"clActiveBorder", SystemColor(10)},
    {"clInactiveBorder", SystemColor(11)},
    {"clAppWorkSpace", SystemColor(12)},
    {"clHighlight", SystemColor(13)},
    {"clHighlightText", SystemColor(14)},
    {"clBtnFace", SystemColor(15)},
    {"clBtnShadow", SystemColor(16)},
    {"clGrayText", SystemColor(17)},
    {"clBtnText", SystemColor(18)},
    {"clInactiveCaptionText", SystemColor(19)},
    {"clBtnHighlight", SystemColor(20)},
    {"clInfoText", SystemColor(23)},
    {"clInfoBk", SystemColor(24)},
    {"mrNone", 0},
    {"mrOk", 1},
    {"mrCancel", 2},
    {"mrYes", 6},
    {"mrNo", 7},
    {"fsBold", 2},
    {"fsItalic", 1},
    {"fsUnderline", 4},
    {"fsStrikeOut", 8},
    {"rpftNone", 0},
    {"rpftRight", 1},
    {"rpftBottom", 2},
    {"rpftLeft", 4},
    {"rpftTop", 8},
    {"rptaLeft", 0},
    {"rptaRight", 1},
    {"rptaCenter", 2},
    {"rptaVertical", 4},
    {"rptaMiddle", 8},
    {"rptaDown", 16},
    {"baNone", 0},
    {"baLeft", 1},
    {"baRight", 2},
    {"baCenter", 3},
    {"baWidth", 4},
    {"baBottom", 5},
    {"baTop", 6},
    {"baRest", 7},
    {"psSolid", 0},
    {"psDash", 1},
    {"psDot", 2},
    {"psDashDot", 3},
    {"psDashDotDot", 4},
    {"psDouble", 5},
    {"mb_Ok", 0},
    {"mb_OkCancel", 1},
    {"mb_YesNo", 4},
    {"mb_YesNoCancel", 3},
    {"mb_IconError", 0x10},
    {"mb_IconQuestion", 0x20},
    {"mb_IconInformation", 0x40},
    {"mb_IconWarning", 0x30},
};

} // namespace

TrpGlobals::TrpGlobals()
{
    LoadEngineTexts();
    // The printer model names its virtual printer, papers and default bin
    // with the engine's texts.
    EnginePrinter().SetTextSource(&LoadEngineString);

    Checkerboard = QImage(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t bgr = kEngineColors[static_cast<std::size_t>((x + y) % 2)];
            Checkerboard.setPixel(x, y, qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
        }
    MeasureCanvas = QImage(8, 8, QImage::Format_RGB32);

    Libraries.Register(TrpStdFunctionLibrary().ClassName(), [] { return std::make_unique<TrpStdFunctionLibrary>(); });
    Libraries.Register(TDatabaseFunctionLibrary().ClassName(),
                       [] { return std::make_unique<TDatabaseFunctionLibrary>(); });

    ScriptVariables.SetSorted(true);
    ScriptConstants.SetSorted(true);
    AddScriptConstants();

    Questions = &dialogQuestions_;
}

TrpGlobals::~TrpGlobals() = default;

void TrpGlobals::LoadEngineTexts()
{
    std::int32_t number = 0;
    EngineNumber = TryTextToInteger(LoadEngineString(kEngineNumberText), number) ? number : 0;
    for (int i = 0; i < kBandTypeCount; ++i)
        BandNames[static_cast<std::size_t>(i)] = LoadEngineString(kFirstBandNameText + i);
    for (std::size_t i = 0; i < 4; ++i) {
        FormatTexts.Booleans[i] = LoadEngineString(kFirstBooleanText + static_cast<int>(i));
        FormatTexts.Dates[i] = LoadEngineString(kFirstDateText + static_cast<int>(i));
        FormatTexts.Times[i] = LoadEngineString(kFirstTimeText + static_cast<int>(i));
    }
}

void TrpGlobals::AddScriptConstants()
{
    for (std::size_t i = 0; i < kEngineColors.size(); ++i)
        ScriptConstants.SetVariable(kColorNames[i], Variant(static_cast<std::int32_t>(kEngineColors[i])));
    for (const auto& constant : kIntegerConstants)
        ScriptConstants.SetVariable(constant.name, Variant(constant.value));
    ScriptConstants.SetVariable("CRLF", Variant("\r\n"));
    ScriptConstants.SetVariable("Null", Variant::null());
}

TrpGlobals& EngineGlobals()
{
    static TrpGlobals globals;
    return globals;
}

} // namespace report
