#include "FileLock.h"

#include "FileIo.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::string LockFileFor(const std::string& file)
{
    return SiblingPath(file, ".lock");
}

FileLock::~FileLock()
{
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(other.fd_)
{
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool FileLock::Acquire(const std::string& path, std::string& why)
{
    Release();
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    if (ec) {
        why = path + ": cannot create its folder: " + ec.message();
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    // A lock file that is there but may not be written still locks.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = path + ": cannot open the lock file: " + std::strerror(errno);
        return false;
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        why = path + ": cannot lock: " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void FileLock::Release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    fd_ = -1;
}

} // namespace platform
