#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A FIFO for tests of code that must refuse one without waiting on it.
// Should the code under test wait anyway, a writer opens the FIFO once the
// patience is up and closes it again, so the reader sees its end and the
// test goes on; Waited() tells.  The FIFO goes with the object.
class ScopedFifo {
public:
    explicit ScopedFifo(std::string path, std::chrono::milliseconds patience = std::chrono::seconds(3));
    ~ScopedFifo();
    ScopedFifo(const ScopedFifo&) = delete;
    ScopedFifo& operator=(const ScopedFifo&) = delete;

    const std::string& Path() const { return path_; }
    bool Made() const { return made_; }
    // Whether a reader had to be released since the last call.
    bool Waited();

private:
    void Watch(std::chrono::milliseconds patience);

    std::string path_;
    bool made_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool waited_ = false;
    std::thread watch_;
};
