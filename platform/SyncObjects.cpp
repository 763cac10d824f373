#include "SyncObjects.h"

#include "Kernel32.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {
namespace {

std::mutex& syncMutex()
{
    static std::mutex m;
    return m;
}

std::condition_variable& syncChanged()
{
    static std::condition_variable cv;
    return cv;
}

} // namespace

SyncEvent::SyncEvent(bool manualReset, bool initialState)
    : manualReset_(manualReset)
    , signalled_(initialState)
{
}

void SyncEvent::set()
{
    {
        std::lock_guard lock(syncMutex());
        signalled_ = true;
    }
    syncChanged().notify_all();
}

void SyncEvent::reset()
{
    std::lock_guard lock(syncMutex());
    signalled_ = false;
}

void SyncEvent::acquireLocked()
{
    if (!manualReset_)
        signalled_ = false;
}

DWORD WaitForObjects(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll, DWORD milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(syncMutex());
    bool timedOut = false;
    for (;;) {
        if (waitAll) {
            bool all = true;
            for (const auto& o : objects)
                all = all && o->isSignalledLocked();
            if (all) {
                for (const auto& o : objects)
                    o->acquireLocked();
                return WAIT_OBJECT_0;
            }
        } else {
            for (std::size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->isSignalledLocked()) {
                    objects[i]->acquireLocked();
                    return WAIT_OBJECT_0 + static_cast<DWORD>(i);
                }
            }
        }
        if (timedOut)
            return WAIT_TIMEOUT;
        if (milliseconds == INFINITE)
            syncChanged().wait(lock);
        else // one more look after the deadline: an object may have been signalled right then
            timedOut = syncChanged().wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

} // namespace platform
