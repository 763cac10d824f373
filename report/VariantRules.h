#pragma once
// Arithmetic, logic and comparison of Variant values, after the platform's
// variant operations of the same names.  The rules are tables in
// VariantRules.cpp; in short:
// - Null in, Null out (AND and OR keep a result that Null cannot change);
// - "+" joins two texts; a text meeting a number is read as a number;
// - Empty is 0 in arithmetic, and "+" returns the other operand unchanged;
// - Boolean true is -1; a date-time is a real count of days, so date + number
//   is a date and date - date is a real;
// - integer + - * that overflow 32 bits give a real; "/" always gives a real;
//   MOD gives an integer; dividing by 0 raises EVariantError, and so does a
//   real result that overflows;
// - AND, OR and NOT read texts as Booleans; on Booleans they are logical, on
//   anything else bitwise on 32-bit integers;
// - comparisons: numbers by value, texts byte by byte, a number is less than
//   a text, Empty is 0 against a number and "" against a text.

#include "Variant.h"

namespace report {

enum class VarCmpResult : std::uint8_t { Less, Equal, Greater, Null };

Variant VarAdd(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarSub(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarMul(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarDiv(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarMod(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarAnd(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarOr(const Variant& left, const Variant& right, const FormatSettings& settings = FormatSettings::standard());
Variant VarNot(const Variant& value, const FormatSettings& settings = FormatSettings::standard());
Variant VarNeg(const Variant& value, const FormatSettings& settings = FormatSettings::standard());
VarCmpResult VarCmp(const Variant& left, const Variant& right,
                    const FormatSettings& settings = FormatSettings::standard());

} // namespace report
