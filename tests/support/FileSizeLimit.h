#pragma once

#include <cstdint>
#include <functional>
#include <string>

// What became of work run in a child process.
struct ChildOutcome {
    bool returned = false;  // the work ended normally
    bool threw = false;     // it raised an exception, whose text is in message
    std::string message;
    std::string Describe() const;
};

// Lets no file of this process grow beyond `limit` bytes (RLIMIT_FSIZE) and
// ignores SIGXFSZ: a write past the limit stops there, and the next fails
// with EFBIG.  For a child process only; false when the limit is refused.
bool LimitFileSize(std::uint64_t limit);

// Runs `work` in a child process under LimitFileSize(limit), where writes
// fail as on a disk that is full.  The child does nothing but the work and
// ends.
ChildOutcome RunWithFileSizeLimit(std::uint64_t limit, const std::function<void()>& work);
