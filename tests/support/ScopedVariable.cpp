#include "ScopedVariable.h"

#include <cstdlib>

ScopedVariable::ScopedVariable(const char* name, const char* value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

ScopedVariable::~ScopedVariable()
{
    if (old_)
        ::setenv(name_, old_->c_str(), 1);
    else
        ::unsetenv(name_);
}
