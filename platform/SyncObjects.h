#pragma once
// Objects a thread can wait on.  All of them share one lock and one
// condition variable, which keeps waiting on several objects at once simple
// and free of lost wake-ups.

#include "HandleTable.h"
#include "Win32Types.h"

#include <memory>
#include <vector>

namespace platform {

class Waitable : public KernelObject {
public:
    // Called with the shared lock held: true when a waiter may go on now.
    virtual bool isSignalledLocked() const = 0;
    // Called with the shared lock held once a wait is satisfied by this object.
    virtual void acquireLocked() {}
};

class SyncEvent : public Waitable {
public:
    SyncEvent(bool manualReset, bool initialState);
    void set();
    void reset();
    bool isSignalledLocked() const override { return signalled_; }
    void acquireLocked() override;

private:
    bool manualReset_;
    bool signalled_;
};

// WaitForMultipleObjects on objects already looked up.
DWORD WaitForObjects(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll, DWORD milliseconds);

} // namespace platform
