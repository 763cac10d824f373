#include "ScopedFifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ScopedFifo::ScopedFifo(std::string path, std::chrono::milliseconds patience)
    : path_(std::move(path))
{
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    if (made_)
        watch_ = std::thread([this, patience] { Watch(patience); });
}

ScopedFifo::~ScopedFifo()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (watch_.joinable())
        watch_.join();
    if (made_)
        ::unlink(path_.c_str());
}

bool ScopedFifo::Waited()
{
    std::lock_guard lock(mutex_);
    const bool waited = waited_;
    waited_ = false;
    return waited;
}

void ScopedFifo::Watch(std::chrono::milliseconds patience)
{
    std::unique_lock lock(mutex_);
    auto next = std::chrono::steady_clock::now() + patience;
    while (!wake_.wait_until(lock, next, [this] { return stop_; })) {
        // Opening for writing without waiting succeeds only while a reader
        // holds the FIFO open, or waits to.
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            waited_ = true;
            ::close(fd);
        }
        next = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    }
}
