#pragma once
// An exclusive lock that programs sharing a file take around every change
// to it.  The lock lies on a lock file of its own beside the shared file,
// never on the shared file itself: a file replaced through a rename is
// another file, and a lock on the old one would guard nothing.
//
// The lock belongs to the open lock file, not to the process (flock), so
// two FileLock objects of one process exclude each other as two processes
// do.  Lock files are never removed: removing one while another program
// waits for it would let a third one lock a new file of the same name.

#include <string>

namespace platform {

// The lock file that guards `file`: beside it, named after it with ".lock"
// (cut short as SiblingPath cuts).  A link is no link here: the caller
// names the file that is replaced.
std::string LockFileFor(const std::string& file);

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the lock file `path`, creating it and its folder when missing,
    // and waits until the lock is this object's.  False with `why`
    // ("<path>: reason") when the file cannot be opened or locked; nothing
    // is held then.
    bool Acquire(const std::string& path, std::string& why);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace platform
