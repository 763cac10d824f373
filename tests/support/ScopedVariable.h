#pragma once

#include <optional>
#include <string>

// Sets (or, with null, removes) an environment variable for a scope, and
// puts back what was there before.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
