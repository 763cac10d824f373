#pragma once
// What the library raised in a test: the ENTException of a call.

#include "ntlib/NTException.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// The text and code of the ENTException that `f` raises; "<none>" and
// 12345 when it raises none.
inline std::pair<std::string, std::int32_t> Raised(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ENTException& e) {
        return {e.what(), e.ErrorCode()};
    }
    return {"<none>", 12345};
}

// The code of the ENTException that `f` raises; 0 when it raises none.
inline std::int32_t RaisedCode(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ENTException& e) {
        return e.ErrorCode();
    }
    return 0;
}
