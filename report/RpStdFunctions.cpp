#include "RpStdFunctions.h"

#include "DateTimeFormat.h"
#include "EditMask.h"
#include "NumberFormat.h"
#include "RpBand.h"
#include "RpFieldReferences.h"
#include "RpGlobals.h"
#include "RpLocale.h"
#include "RpPage.h"
#include "RpRunState.h"
#include "RpText.h"
#include "VariantRules.h"

#include <QString>

namespace report {

namespace {

enum StdFunction {
    fnAvg, fnCount, fnDayOf, fnFormatDateTime, fnFormatFloat, fnFormatText, fnInput, fnLength, fnLowerCase,
    fnMax, fnMaxNum, fnMessageBox, fnMin, fnMinNum, fnMonthOf, fnNameCase, fnPos, fnSum, fnTrim,
    fnUpperCase, fnYearOf,
};

constexpr int kDatabaseCategoryText = 55620;
constexpr int kFieldIsNullText = 55621;

const FormatSettings& Settings()
{
    return EngineGlobals().Parser.Settings;
}

DateTimeParts DateParts(const Variant& value)
{
    DateTimeParts parts;
    if (!TryDecodeDateTime(value.toDateTime(Settings()), parts))
        throw EVariantError("Date-time value out of range");
    return parts;
}

// Letter case by the characters of the text: Unicode for UTF-8 texts,
// Latin-1 letters byte by byte for texts of a single-byte code page.
std::string ChangeCase(const std::string& text, bool upper)
{
    if (IsValidUtf8(text)) {
        const QString s = QString::fromStdString(text);
        return (upper ? s.toUpper() : s.toLower()).toStdString();
    }
    std::string out = text;
    for (char& c : out) {
        const QChar ch(static_cast<unsigned char>(c));
        const QChar changed = upper ? ch.toUpper() : ch.toLower();
        if (changed.unicode() < 0x100)
            c = static_cast<char>(changed.unicode());
    }
    return out;
}

std::string NameCase(const std::string& text)
{
    std::string lower = ChangeCase(text, false);
    if (lower.empty())
        return lower;
    if (IsValidUtf8(lower)) {
        const TrpTextCodec codec(lower, kDefaultCharset);
        const std::size_t first = codec.CharLength(lower, 0);
        return ChangeCase(lower.substr(0, first), true) + lower.substr(first);
    }
    return ChangeCase(lower.substr(0, 1), true) + lower.substr(1);
}

std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

std::string TextOf(const Variant& argument)
{
    return argument.isNull() ? std::string() : argument.toText();
}

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

// ---- TrpStdFunctionLibrary ------------------------------------------------------

TrpStdFunctionLibrary::TrpStdFunctionLibrary()
{
    List = {"AVG",    "COUNT",    "DAYOF", "FORMATDATETIME", "FORMATFLOAT", "FORMATTEXT", "INPUT",
            "LENGTH", "LOWERCASE", "MAX",  "MAXNUM",         "MESSAGEBOX",  "MIN",        "MINNUM",
            "MONTHOF", "NAMECASE", "POS",  "SUM",            "TRIM",        "UPPERCASE",  "YEAROF"};
}

void TrpStdFunctionLibrary::EvaluateFunction(int index, const Variant& p1, const Variant& p2, const Variant& p3,
                                             Variant& val)
{
    switch (static_cast<StdFunction>(index)) {
    case fnAvg:
        AggregateFunction(AggregateCode::Avg, p1, p2, p3, val);
        return;
    case fnCount:
        AggregateFunction(AggregateCode::Count, p1, p2, p3, val);
        return;
    case fnMax:
        AggregateFunction(AggregateCode::Max, p1, p2, p3, val);
        return;
    case fnMin:
        AggregateFunction(AggregateCode::Min, p1, p2, p3, val);
        return;
    case fnSum:
        AggregateFunction(AggregateCode::Sum, p1, p2, p3, val);
        return;
    case fnDayOf:
        val = Variant(static_cast<std::int32_t>(DateParts(Eval(p1)).day));
        return;
    case fnMonthOf:
        val = Variant(static_cast<std::int32_t>(DateParts(Eval(p1)).month));
        return;
    case fnYearOf:
        val = Variant(static_cast<std::int32_t>(DateParts(Eval(p1)).year));
        return;
    case fnFormatDateTime:
        val = Variant(FormatDateTime(EvalText(p1), Eval(p2).toDateTime(Settings()), Settings()));
        return;
    case fnFormatFloat:
        val = Variant(FormatFloat(EvalText(p1), Eval(p2).toReal(Settings()), Settings().decimalSeparator,
                                  Settings().thousandSeparator));
        return;
    case fnFormatText:
        val = Variant(FormatMaskText(EvalText(p1) + ";0; ", EvalText(p2), Settings()));
        return;
    case fnInput:
        val = Variant(EngineGlobals().Questions->InputBox("", EvalText(p1), EvalText(p2)));
        return;
    case fnMessageBox:
        val = Variant(static_cast<std::int32_t>(
            EngineGlobals().Questions->MessageBox(EvalText(p1), EvalText(p2), Eval(p3).toInteger(Settings()))));
        return;
    case fnLength:
        val = Variant(static_cast<std::int32_t>(TextLength(EvalText(p1))));
        return;
    case fnLowerCase:
        val = Variant(ChangeCase(EvalText(p1), false));
        return;
    case fnUpperCase:
        val = Variant(ChangeCase(EvalText(p1), true));
        return;
    case fnNameCase:
        val = Variant(NameCase(EvalText(p1)));
        return;
    case fnTrim:
        val = Variant(Trim(EvalText(p1)));
        return;
    case fnPos:
        val = Variant(static_cast<std::int32_t>(TextPos(EvalText(p1), EvalText(p2))));
        return;
    case fnMaxNum:
    case fnMinNum: {
        const Variant a = Eval(p1);
        const Variant b = Eval(p2);
        const VarCmpResult order = VarCmp(a, b, Settings());
        const bool first = index == fnMaxNum ? order == VarCmpResult::Greater : order == VarCmpResult::Less;
        val = first ? a : b;
        return;
    }
    }
}

// ---- aggregates -----------------------------------------------------------------

void AggregateFunction(char code, const Variant& p1, const Variant& p2, const Variant& p3, Variant& val)
{
    // COUNT takes the band first; its second argument stands for the flags.
    const bool count = code == AggregateCode::Count;
    const std::string expression = count ? std::string() : TextOf(p1);
    std::string bandName = Trim(TextOf(count ? p1 : p2));
    const std::string flags = TextOf(count ? p2 : p3);

    TrpRunState& state = RunState();
    TrpBand* band = state.Band;
    if (band == nullptr)
        return;
    if (state.MeasuringPass) {
        TrpBand* registering = state.RegisteringBand;
        if (registering == nullptr)
            return;
        if (bandName.empty() && registering->Type == LevelDataBandType(BandLevel(band->Type)))
            bandName = registering->Name;
        if (!SameNameNoCase(bandName, registering->Name))
            return;
        std::string name = band->Name;
        if (band->HasCrossObjects && band->Type != static_cast<int>(TrpBandType::CrossData))
            name = std::string("0") + '\1' + name;
        const Variant start = code == AggregateCode::Min ? Variant(1e300) : Variant(std::int32_t{0});
        registering->AggregateValues.SetVariable(AggregateKey(name, code, expression, flags), start);
        band->AggregateOwner = registering;
        return;
    }
    TrpBand* owner = band->AggregateOwner;
    if (owner == nullptr)
        return;
    std::string key;
    if (band->Type == static_cast<int>(TrpBandType::CrossData)) {
        const std::int32_t column = state.Page != nullptr ? state.Page->ColumnNo : 1;
        key = std::to_string(column) + '\1' + AggregateKey(owner->Name, code, expression, flags);
    } else {
        key = AggregateKey(band->Name, code, expression, flags);
    }
    val = owner->AggregateValue(key);
}

// ---- TDatabaseFunctionLibrary ---------------------------------------------------

TDatabaseFunctionLibrary::TDatabaseFunctionLibrary()
{
    List = {"FIELDISNULL"};
}

void TDatabaseFunctionLibrary::EvaluateFunction(int, const Variant& p1, const Variant&, const Variant&, Variant& val)
{
    val = Variant(std::int32_t{0});
    val = Variant(IsFieldNull(EvalText(p1)));
}

void TDatabaseFunctionLibrary::AddDescriptions()
{
    AddFunctionInfo("FIELDISNULL", LoadEngineString(kDatabaseCategoryText), LoadEngineString(kFieldIsNullText));
}

} // namespace report
