#pragma once
// The engine's dynamic value: empty, Null, integer, real, date-time,
// Boolean or text.  Expression results, variables, field values and the
// arguments of report functions are all of this type.
//
// Conversions follow the platform's variant rules:
//
// | from \ to | Integer            | Real       | DateTime        | Boolean        | Text            |
// |-----------|--------------------|------------|-----------------|----------------|-----------------|
// | Empty     | 0                  | 0          | 0               | false          | ""              |
// | Null      | error              | error      | error           | error          | error           |
// | Integer   | itself             | exact      | days            | not 0          | decimal         |
// | Real      | halves to even (1) | itself     | days (2)        | not 0          | 15 digits (3)   |
// | DateTime  | halves to even (1) | days       | itself          | not 0          | date text (2)   |
// | Boolean   | -1 / 0             | -1 / 0     | -1 / 0          | itself         | "-1" / "0"      |
// | Text      | as Real, then (1)  | number (4) | date-time (5)   | True/False (6) | itself          |
//
// (1) EVariantError outside the 32-bit range.
// (2) EVariantError outside the years 100-9999.
// (3) RealToText with the decimal separator of the settings.
// (4) TryTextToReal with that separator; EConvertError when it does not read.
// (5) TryTextToDateTime, else a number; EConvertError when neither reads.
// (6) "True"/"False" in any letter case, else a number (not 0 is true).
// Null converts to nothing: EVariantError.
//
// The arithmetic, logic and comparison of values are in VariantRules.h.

#include "ValueText.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>

namespace report {

enum class VarType : std::uint8_t { Empty, Null, Integer, Real, DateTime, Boolean, Text };

// The type's name as error messages show it: "Empty", "Null", "Integer",
// "Double", "Date", "Boolean", "String".
const char* VarTypeName(VarType type);

class Variant {
public:
    Variant() = default;  // empty
    Variant(std::int32_t value) : type_(VarType::Integer), integer_(value) {}
    Variant(double value) : type_(VarType::Real), real_(value) {}
    Variant(bool value) : type_(VarType::Boolean), integer_(value ? -1 : 0) {}
    Variant(std::string value) : type_(VarType::Text), text_(std::move(value)) {}
    Variant(const char* value) : type_(VarType::Text), text_(value) {}

    static Variant null();
    static Variant dateTime(double days);

    VarType type() const { return type_; }
    bool isEmpty() const { return type_ == VarType::Empty; }
    bool isNull() const { return type_ == VarType::Null; }
    bool isText() const { return type_ == VarType::Text; }
    // Integer, Real, DateTime or Boolean.
    bool isNumeric() const;

    // The stored value, without conversion; meaningful for its own type only.
    std::int32_t integerValue() const { return integer_; }
    double realValue() const { return real_; }
    bool booleanValue() const { return integer_ != 0; }
    const std::string& textValue() const { return text_; }

    // Conversions (see the table above).
    std::int32_t toInteger(const FormatSettings& settings = FormatSettings::standard()) const;
    double toReal(const FormatSettings& settings = FormatSettings::standard()) const;
    double toDateTime(const FormatSettings& settings = FormatSettings::standard()) const;
    bool toBoolean(const FormatSettings& settings = FormatSettings::standard()) const;
    std::string toText(const FormatSettings& settings = FormatSettings::standard()) const;
    Variant changeType(VarType type, const FormatSettings& settings = FormatSettings::standard()) const;

    // Same type and same value (texts compared byte for byte).  For the
    // variant comparison with its conversions use VarCmp.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    VarType type_ = VarType::Empty;
    std::int32_t integer_ = 0;  // Integer, and Boolean as -1 / 0
    double real_ = 0;           // Real and DateTime
    std::string text_;
};

// Readable form for test failures: Integer(3), Text("a"), Null, ...
std::ostream& operator<<(std::ostream& out, const Variant& value);
void PrintTo(const Variant& value, std::ostream* out);

} // namespace report
