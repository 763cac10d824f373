#include "Variant.h"

#include "Exceptions.h"

#include <cmath>
#include <ostream>

namespace report {

namespace {

[[noreturn]] void CannotConvert(VarType from, VarType to)
{
    const std::string message =
        std::string("Could not convert variant of type (") + VarTypeName(from) + ") into type (" + VarTypeName(to) + ")";
    if (from == VarType::Text)
        throw EConvertError(message);
    throw EVariantError(message);
}

[[noreturn]] void Overflow(VarType from, VarType to)
{
    throw EVariantError(std::string("Overflow while converting variant of type (") + VarTypeName(from) +
                        ") into type (" + VarTypeName(to) + ")");
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i])
            return false;
    }
    return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

} // namespace

const char* VarTypeName(VarType type)
{
    switch (type) {
    case VarType::Empty:
        return "Empty";
    case VarType::Null:
        return "Null";
    case VarType::Integer:
        return "Integer";
    case VarType::Real:
        return "Double";
    case VarType::DateTime:
        return "Date";
    case VarType::Boolean:
        return "Boolean";
    case VarType::Text:
        return "String";
    }
    return "Unknown";
}

Variant Variant::null()
{
    Variant v;
    v.type_ = VarType::Null;
    return v;
}

Variant Variant::dateTime(double days)
{
    Variant v;
    v.type_ = VarType::DateTime;
    v.real_ = days;
    return v;
}

bool Variant::isNumeric() const
{
    return type_ == VarType::Integer || type_ == VarType::Real || type_ == VarType::DateTime ||
           type_ == VarType::Boolean;
}

std::int32_t Variant::toInteger(const FormatSettings& settings) const
{
    double real = 0;
    switch (type_) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        CannotConvert(type_, VarType::Integer);
    case VarType::Integer:
    case VarType::Boolean:
        return integer_;
    case VarType::Real:
    case VarType::DateTime:
        real = real_;
        break;
    case VarType::Text:
        real = toReal(settings);
        break;
    }
    const double rounded = RoundHalfEven(real);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        Overflow(type_, VarType::Integer);
    return static_cast<std::int32_t>(rounded);
}

double Variant::toReal(const FormatSettings& settings) const
{
    switch (type_) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        CannotConvert(type_, VarType::Real);
    case VarType::Integer:
    case VarType::Boolean:
        return integer_;
    case VarType::Real:
    case VarType::DateTime:
        return real_;
    case VarType::Text:
        break;
    }
    double value = 0;
    if (!TryTextToReal(text_, settings.decimalSeparator, value))
        CannotConvert(type_, VarType::Real);
    return value;
}

double Variant::toDateTime(const FormatSettings& settings) const
{
    if (type_ == VarType::Null)
        CannotConvert(type_, VarType::DateTime);
    if (type_ != VarType::Text)
        return toReal(settings);
    double value = 0;
    if (TryTextToDateTime(text_, settings, value) || TryTextToReal(text_, settings.decimalSeparator, value))
        return value;
    CannotConvert(type_, VarType::DateTime);
}

bool Variant::toBoolean(const FormatSettings& settings) const
{
    switch (type_) {
    case VarType::Empty:
        return false;
    case VarType::Null:
        CannotConvert(type_, VarType::Boolean);
    case VarType::Integer:
    case VarType::Boolean:
        return integer_ != 0;
    case VarType::Real:
    case VarType::DateTime:
        return real_ != 0;
    case VarType::Text:
        break;
    }
    const std::string text = Trimmed(text_);
    if (EqualsNoCase(text, "TRUE"))
        return true;
    if (EqualsNoCase(text, "FALSE"))
        return false;
    double value = 0;
    if (!TryTextToReal(text, settings.decimalSeparator, value))
        CannotConvert(type_, VarType::Boolean);
    return value != 0;
}

std::string Variant::toText(const FormatSettings& settings) const
{
    switch (type_) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        CannotConvert(type_, VarType::Text);
    case VarType::Integer:
    case VarType::Boolean:
        return std::to_string(integer_);
    case VarType::Real:
        return RealToText(real_, settings.decimalSeparator);
    case VarType::DateTime:
        if (!DateTimeInRange(real_))
            Overflow(type_, VarType::Text);
        return DateTimeToText(real_, settings);
    case VarType::Text:
        return text_;
    }
    return {};
}

Variant Variant::changeType(VarType type, const FormatSettings& settings) const
{
    if (type == type_)
        return *this;
    switch (type) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        return null();
    case VarType::Integer:
        return Variant(toInteger(settings));
    case VarType::Real:
        return Variant(toReal(settings));
    case VarType::DateTime: {
        const double value = toDateTime(settings);
        if (!DateTimeInRange(value))
            Overflow(type_, VarType::DateTime);
        return dateTime(value);
    }
    case VarType::Boolean:
        return Variant(toBoolean(settings));
    case VarType::Text:
        return Variant(toText(settings));
    }
    return {};
}

bool operator==(const Variant& a, const Variant& b)
{
    if (a.type_ != b.type_)
        return false;
    switch (a.type_) {
    case VarType::Empty:
    case VarType::Null:
        return true;
    case VarType::Integer:
    case VarType::Boolean:
        return a.integer_ == b.integer_;
    case VarType::Real:
    case VarType::DateTime:
        return a.real_ == b.real_;
    case VarType::Text:
        return a.text_ == b.text_;
    }
    return false;
}

std::ostream& operator<<(std::ostream& out, const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty:
        return out << "Empty";
    case VarType::Null:
        return out << "Null";
    case VarType::Integer:
        return out << "Integer(" << value.integerValue() << ")";
    case VarType::Real:
        return out << "Real(" << RealToText(value.realValue(), '.') << ")";
    case VarType::DateTime:
        return out << "DateTime(" << RealToText(value.realValue(), '.') << ")";
    case VarType::Boolean:
        return out << (value.booleanValue() ? "True" : "False");
    case VarType::Text:
        return out << "Text(\"" << value.textValue() << "\")";
    }
    return out;
}

void PrintTo(const Variant& value, std::ostream* out)
{
    *out << value;
}

} // namespace report
