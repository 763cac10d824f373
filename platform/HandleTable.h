#pragma once
// The platform's handles: a process-wide table from handle values to the
// kernel objects behind them.  Objects are shared, so a handle closed on one
// thread never frees an object that another thread is still using.

#include "Win32Types.h"

#include <memory>

namespace platform {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// A new handle for the object; never null and never INVALID_HANDLE_VALUE.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null when the handle is unknown.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Removes the handle; false when it was not in the table.
bool RemoveHandle(HANDLE handle);

} // namespace platform
