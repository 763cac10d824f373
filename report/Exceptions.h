#pragma once
// The exception classes of the report engine.  Every one carries a message
// and derives from std::runtime_error, so a caller that knows nothing of the
// engine can still catch std::exception and show what() to the user.

#include <stdexcept>
#include <string>

namespace report {

// The plain exception: also raised, with an empty message, when the
// parentheses of a function call do not balance.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message = {}) : std::runtime_error(message) {}
};

// A text that does not read as the number, integer, date or time asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An operation on values of incompatible types: a Null where a value is
// needed, an overflow, a division by zero.
class EVariantError : public Exception {
public:
    using Exception::Exception;
};

// An expression or a coded script that the engine refuses: too complex,
// an operator without its operands, too deeply nested, damaged.
class EParserError : public Exception {
public:
    using Exception::Exception;
};

} // namespace report
