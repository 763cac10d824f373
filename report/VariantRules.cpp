#include "VariantRules.h"

#include "Exceptions.h"

#include <cmath>
#include <cstring>

namespace report {

namespace {

// How an operation is carried out for one pair of operand types.
enum class Calc : std::uint8_t {
    Null,   // the result is Null
    Left,   // the left operand, unchanged
    Right,  // the right operand, unchanged
    Int,    // both operands as integers, an integer result
    Real,   // both operands as reals, a real result
    Date,   // both operands as reals, a date-time result
    Bool,   // both operands as Booleans, a Boolean result
    Join,   // both texts joined
    Nul2,   // AND / OR with Null on one side: see NullLogic
};

constexpr Calc N = Calc::Null, L = Calc::Left, R = Calc::Right, I = Calc::Int, F = Calc::Real, D = Calc::Date,
               B = Calc::Bool, J = Calc::Join, X = Calc::Nul2;

// Rows: the left operand's type; columns: the right operand's type; both in
// the order of VarType: Empty, Null, Integer, Real, DateTime, Boolean, Text.
using Table = Calc[7][7];

constexpr Table kAdd = {
    //      E  N  I  R  D  B  S
    /*E*/ {I, N, R, R, R, R, R},
    /*N*/ {N, N, N, N, N, N, N},
    /*I*/ {L, N, I, F, D, I, F},
    /*R*/ {L, N, F, F, D, F, F},
    /*D*/ {L, N, D, D, D, D, D},
    /*B*/ {L, N, I, F, D, I, F},
    /*S*/ {L, N, F, F, D, F, J},
};

constexpr Table kSub = {
    //      E  N  I  R  D  B  S
    /*E*/ {I, N, I, F, D, I, F},
    /*N*/ {N, N, N, N, N, N, N},
    /*I*/ {I, N, I, F, D, I, F},
    /*R*/ {F, N, F, F, D, F, F},
    /*D*/ {D, N, D, D, F, D, D},
    /*B*/ {I, N, I, F, D, I, F},
    /*S*/ {F, N, F, F, D, F, F},
};

constexpr Table kMul = {
    //      E  N  I  R  D  B  S
    /*E*/ {I, N, I, F, F, I, F},
    /*N*/ {N, N, N, N, N, N, N},
    /*I*/ {I, N, I, F, F, I, F},
    /*R*/ {F, N, F, F, F, F, F},
    /*D*/ {F, N, F, F, F, F, F},
    /*B*/ {I, N, I, F, F, I, F},
    /*S*/ {F, N, F, F, F, F, F},
};

constexpr Table kDiv = {
    //      E  N  I  R  D  B  S
    /*E*/ {F, N, F, F, F, F, F},
    /*N*/ {N, N, N, N, N, N, N},
    /*I*/ {F, N, F, F, F, F, F},
    /*R*/ {F, N, F, F, F, F, F},
    /*D*/ {F, N, F, F, F, F, F},
    /*B*/ {F, N, F, F, F, F, F},
    /*S*/ {F, N, F, F, F, F, F},
};

constexpr Table kMod = {
    //      E  N  I  R  D  B  S
    /*E*/ {I, N, I, I, I, I, I},
    /*N*/ {N, N, N, N, N, N, N},
    /*I*/ {I, N, I, I, I, I, I},
    /*R*/ {I, N, I, I, I, I, I},
    /*D*/ {I, N, I, I, I, I, I},
    /*B*/ {I, N, I, I, I, I, I},
    /*S*/ {I, N, I, I, I, I, I},
};

// AND and OR; a text operand has been read as a Boolean before the lookup,
// so the S row and column repeat B's.
constexpr Table kLogic = {
    //      E  N  I  R  D  B  S
    /*E*/ {I, X, I, I, I, I, I},
    /*N*/ {X, N, X, X, X, X, X},
    /*I*/ {I, X, I, I, I, I, I},
    /*R*/ {I, X, I, I, I, I, I},
    /*D*/ {I, X, I, I, I, I, I},
    /*B*/ {I, X, I, I, I, B, B},
    /*S*/ {I, X, I, I, I, B, B},
};

// Unary operations, by the operand's type.
//                          E  N  I  R  D  B  S
constexpr Calc kNeg[7] = {I, N, I, F, D, I, F};
constexpr Calc kNot[7] = {I, N, I, I, I, B, B};

// How two values compare.
enum class Cmp : std::uint8_t {
    Null,     // cannot be compared: VarCmpResult::Null
    Number,   // both as reals
    Text,     // both as texts (Empty as "")
    Less,     // a number against a text: less
    Greater,  // a text against a number: greater
};

constexpr Cmp CN = Cmp::Null, CV = Cmp::Number, CT = Cmp::Text, CL = Cmp::Less, CG = Cmp::Greater;

constexpr Cmp kCompare[7][7] = {
    //       E   N   I   R   D   B   S
    /*E*/ {CV, CN, CV, CV, CV, CV, CT},
    /*N*/ {CN, CN, CN, CN, CN, CN, CN},
    /*I*/ {CV, CN, CV, CV, CV, CV, CL},
    /*R*/ {CV, CN, CV, CV, CV, CV, CL},
    /*D*/ {CV, CN, CV, CV, CV, CV, CL},
    /*B*/ {CV, CN, CV, CV, CV, CV, CL},
    /*S*/ {CT, CN, CG, CG, CG, CG, CT},
};

int Index(const Variant& v)
{
    return static_cast<int>(v.type());
}

[[noreturn]] void DivisionByZero()
{
    throw EVariantError("Division by zero");
}

Variant RealResult(double value)
{
    if (!std::isfinite(value))
        throw EVariantError("Floating point overflow");
    return Variant(value);
}

Variant IntegerResult(std::int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        return Variant(static_cast<double>(value));
    return Variant(static_cast<std::int32_t>(value));
}

// Texts in logical operations are read as Booleans first.
Variant LogicOperand(const Variant& v, const FormatSettings& settings)
{
    return v.isText() ? Variant(v.toBoolean(settings)) : v;
}

enum class Op : std::uint8_t { Add, Sub, Mul, Div, Mod, And, Or };

std::int64_t IntegerOp(Op op, std::int64_t a, std::int64_t b)
{
    switch (op) {
    case Op::Add:
        return a + b;
    case Op::Sub:
        return a - b;
    case Op::Mul:
        return a * b;
    case Op::Mod:
        if (b == 0)
            DivisionByZero();
        return a % b;  // 64-bit: INT32_MIN % -1 is simply 0
    case Op::And:
        return static_cast<std::int32_t>(a) & static_cast<std::int32_t>(b);
    case Op::Or:
        return static_cast<std::int32_t>(a) | static_cast<std::int32_t>(b);
    case Op::Div:
        break;
    }
    return 0;
}

double RealOp(Op op, double a, double b)
{
    switch (op) {
    case Op::Add:
        return a + b;
    case Op::Sub:
        return a - b;
    case Op::Mul:
        return a * b;
    case Op::Div:
        if (b == 0)
            DivisionByZero();
        return a / b;
    case Op::Mod:
    case Op::And:
    case Op::Or:
        break;
    }
    return 0;
}

// AND and OR with Null on one side: a result that the unknown side cannot
// change is kept (false AND Null is false, true OR Null is true, and the
// same for the integers 0 and -1); anything else is Null.
Variant NullLogic(Op op, const Variant& other, const FormatSettings& settings)
{
    const bool isBool = other.type() == VarType::Boolean;
    const std::int32_t bits = other.toInteger(settings);
    if (op == Op::And && bits == 0)
        return isBool ? Variant(false) : Variant(std::int32_t{0});
    if (op == Op::Or && bits == -1)
        return isBool ? Variant(true) : Variant(std::int32_t{-1});
    return Variant::null();
}

Variant Binary(Op op, const Table& table, const Variant& leftIn, const Variant& rightIn,
               const FormatSettings& settings)
{
    const bool logic = op == Op::And || op == Op::Or;
    const Variant left = logic ? LogicOperand(leftIn, settings) : leftIn;
    const Variant right = logic ? LogicOperand(rightIn, settings) : rightIn;
    switch (table[Index(left)][Index(right)]) {
    case Calc::Null:
        return Variant::null();
    case Calc::Left:
        return left;
    case Calc::Right:
        return right;
    case Calc::Int:
        return IntegerResult(IntegerOp(op, left.toInteger(settings), right.toInteger(settings)));
    case Calc::Real:
        return RealResult(RealOp(op, left.toReal(settings), right.toReal(settings)));
    case Calc::Date: {
        const Variant r = RealResult(RealOp(op, left.toReal(settings), right.toReal(settings)));
        return Variant::dateTime(r.realValue());
    }
    case Calc::Bool: {
        const bool a = left.toBoolean(settings), b = right.toBoolean(settings);
        return Variant(op == Op::And ? (a && b) : (a || b));
    }
    case Calc::Join:
        return Variant(left.textValue() + right.textValue());
    case Calc::Nul2:
        return NullLogic(op, left.isNull() ? right : left, settings);
    }
    return Variant::null();
}

} // namespace

Variant VarAdd(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Add, kAdd, left, right, settings);
}

Variant VarSub(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Sub, kSub, left, right, settings);
}

Variant VarMul(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Mul, kMul, left, right, settings);
}

Variant VarDiv(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Div, kDiv, left, right, settings);
}

Variant VarMod(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Mod, kMod, left, right, settings);
}

Variant VarAnd(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::And, kLogic, left, right, settings);
}

Variant VarOr(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    return Binary(Op::Or, kLogic, left, right, settings);
}

Variant VarNeg(const Variant& value, const FormatSettings& settings)
{
    switch (kNeg[Index(value)]) {
    case Calc::Int:
        return IntegerResult(-static_cast<std::int64_t>(value.toInteger(settings)));
    case Calc::Real:
        return RealResult(-value.toReal(settings));
    case Calc::Date:
        return Variant::dateTime(-value.toReal(settings));
    case Calc::Null:
    default:
        return Variant::null();
    }
}

Variant VarNot(const Variant& value, const FormatSettings& settings)
{
    switch (kNot[Index(value)]) {
    case Calc::Int:
        return Variant(static_cast<std::int32_t>(~value.toInteger(settings)));
    case Calc::Bool:
        return Variant(!value.toBoolean(settings));
    case Calc::Null:
    default:
        return Variant::null();
    }
}

VarCmpResult VarCmp(const Variant& left, const Variant& right, const FormatSettings& settings)
{
    switch (kCompare[Index(left)][Index(right)]) {
    case Cmp::Null:
        return VarCmpResult::Null;
    case Cmp::Less:
        return VarCmpResult::Less;
    case Cmp::Greater:
        return VarCmpResult::Greater;
    case Cmp::Number: {
        const double a = left.toReal(settings), b = right.toReal(settings);
        return a < b ? VarCmpResult::Less : a > b ? VarCmpResult::Greater : VarCmpResult::Equal;
    }
    case Cmp::Text: {
        const std::string& a = left.isText() ? left.textValue() : std::string();
        const std::string& b = right.isText() ? right.textValue() : std::string();
        const int c = a.compare(b);  // std::string compares bytes as unsigned char
        return c < 0 ? VarCmpResult::Less : c > 0 ? VarCmpResult::Greater : VarCmpResult::Equal;
    }
    }
    return VarCmpResult::Null;
}

} // namespace report
