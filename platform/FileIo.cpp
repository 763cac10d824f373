#include "FileIo.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <memory>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char kNotARegularFile[] = "not a regular file";

} // namespace

FileStamp FileStampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

int StampOfFile(const std::string& path, FileStamp& stamp)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    stamp = FileStampOf(st);
    return 0;
}

std::string SiblingPath(const std::string& file, std::string_view suffix)
{
    const std::size_t slash = file.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/")
                                                                                           : file.substr(0, slash);
    const long folderNameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t nameMax = folderNameMax > 0 ? static_cast<std::size_t>(folderNameMax) : NAME_MAX;
    const std::size_t nameLength = file.size() - nameStart;
    // The name as kept: short enough for the name and the whole path.
    std::size_t keep = nameLength;
    if (keep + suffix.size() > nameMax)
        keep = nameMax > suffix.size() ? nameMax - suffix.size() : 0;
    if (file.size() + suffix.size() >= PATH_MAX) {
        const std::size_t excess = file.size() + suffix.size() - (PATH_MAX - 1);
        keep = std::min(keep, nameLength > excess ? nameLength - excess : 0);
    }
    // Never half a character: a cut goes back to the start of the one it
    // would split.
    while (keep > 0 && keep < nameLength &&
           (static_cast<unsigned char>(file[nameStart + keep]) & 0xC0) == 0x80)
        --keep;
    std::string name = file.substr(0, nameStart + keep);
    name += suffix;
    return name;
}

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EFBIG:
        return ERROR_INVALID_DATA;
    default:
        return ERROR_WRITE_FAULT;
    }
}

DWORD ReadWholeFile(const std::string& path, std::vector<BYTE>& bytes, std::string& why)
{
    FileDescriptor file;
    std::uint64_t size = 0;
    if (const DWORD error = file.openForReading(path, size, why); error != ERROR_SUCCESS)
        return error;
    return ReadWholeFile(file, size, path, bytes, why);
}

DWORD ReadWholeFile(const FileDescriptor& file, std::uint64_t size, const std::string& path,
                    std::vector<BYTE>& bytes, std::string& why)
{
    if (size > 0xFFFFFFFFu) {
        why = path + ": the file is larger than 4 GiB";
        return ERROR_EVENTLOG_FILE_CORRUPT;
    }
    std::vector<BYTE> data(static_cast<std::size_t>(size));
    std::size_t done = 0;
    if (file.readAt(0, data.data(), data.size(), done) != ERROR_SUCCESS) {
        why = path + ": the file could not be read";
        return ERROR_READ_FAULT;
    }
    data.resize(done); // the file shrank meanwhile: take what is there
    bytes = std::move(data);
    return ERROR_SUCCESS;
}

bool ReadFileText(const std::string& path, std::size_t size, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    text.assign(size, '\0');
    return in && in.read(text.data(), static_cast<std::streamsize>(size));
}

DWORD OpenRegularFile(const std::string& path, int& fd, std::uint64_t& size, std::string& reason)
{
    fd = -1;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        reason = kNotARegularFile;
        return ERROR_ACCESS_DENIED;
    }
    // Without O_NONBLOCK, a FIFO put in the file's place since the stat()
    // would hold open() until something writes to it.
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        const int error = errno;
        reason = std::strerror(error);
        return ErrorFromErrno(error);
    }
    DWORD result = ERROR_SUCCESS;
    int flags = 0;
    if (::fstat(opened, &st) != 0) {
        reason = std::strerror(errno);
        result = ERROR_READ_FAULT;
    } else if (!S_ISREG(st.st_mode)) {
        reason = kNotARegularFile;
        result = ERROR_ACCESS_DENIED;
    } else if ((flags = ::fcntl(opened, F_GETFL)) < 0 || ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        reason = std::strerror(errno);
        result = ERROR_READ_FAULT;
    }
    if (result != ERROR_SUCCESS) {
        ::close(opened);
        return result;
    }
    fd = opened;
    size = static_cast<std::uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

bool ListDirectory(const std::string& directory, std::vector<std::string>& names)
{
    names.clear();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), &::closedir);
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    return true;
}

namespace {

// 0 or the errno value of the write that failed.
int writeAll(int fd, const BYTE* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Creates a file that is not there yet beside `file`, named after it as far
// as the folder's longest name allows, with the given mode less the umask;
// -1 with errno set when it cannot.
int createTemporaryBeside(const std::string& file, mode_t mode, std::string& name)
{
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = SiblingPath(file, ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool FinalLinkTarget(const std::string& path, std::string& target, int& error)
{
    constexpr int kMaxLinks = 40;
    target = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true; // no link (or nothing yet): this is the file
        if (links == kMaxLinks) {
            error = ELOOP;
            return false;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        if (link.empty() || link.front() != '/') {
            const std::size_t slash = target.rfind('/');
            if (slash != std::string::npos)
                link = target.substr(0, slash + 1) + link;
        }
        target = std::move(link);
    }
}

DWORD WriteFileAtomically(const std::string& path, const BYTE* data, std::size_t size, bool replaceExisting,
                          std::string& why)
{
    const std::span<const BYTE> whole(data, size);
    return WriteFileAtomically(path, std::span<const std::span<const BYTE>>(&whole, 1), replaceExisting, why);
}

DWORD WriteFileAtomically(const std::string& path, std::span<const std::span<const BYTE>> pieces,
                          bool replaceExisting, std::string& why)
{
    if (!replaceExisting && ::access(path.c_str(), F_OK) == 0) {
        why = path + ": the file exists";
        return ERROR_ALREADY_EXISTS;
    }
    // A replacement goes to a link's target; link() below never replaces
    // anything, a link included.
    std::string file = path;
    int linkError = 0;
    if (replaceExisting && !FinalLinkTarget(path, file, linkError)) {
        why = path + ": " + std::strerror(linkError);
        return ErrorFromErrno(linkError);
    }
    // A file that replaces another takes its mode; a new one gets the
    // mode the umask gives.  The contents never lie in a file that more
    // users may read than the final one.
    struct stat old {};
    const bool replacing = replaceExisting && ::stat(file.c_str(), &old) == 0;
    std::string tmp;
    const int fd = createTemporaryBeside(file, replacing ? 0600 : 0666, tmp);
    if (fd < 0) {
        const int failure = errno;
        why = path + ": " + std::strerror(failure);
        return ErrorFromErrno(failure);
    }
    int error = 0;
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    for (const std::span<const BYTE>& piece : pieces)
        if (error == 0)
            error = writeAll(fd, piece.data(), piece.size());
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        why = path + ": " + std::strerror(error);
        ::unlink(tmp.c_str());
        return ErrorFromErrno(error);
    }
    DWORD result = ERROR_SUCCESS;
    if (replaceExisting) {
        if (::rename(tmp.c_str(), file.c_str()) != 0) {
            const int renameFailure = errno;
            result = ErrorFromErrno(renameFailure);
            why = path + ": " + std::strerror(renameFailure);
        }
    } else if (::link(tmp.c_str(), path.c_str()) != 0) {
        // link() never replaces: an existing target stays as it was.
        const int linkFailure = errno;
        if (linkFailure == EEXIST) {
            result = ERROR_ALREADY_EXISTS;
            why = path + ": the file exists";
        } else if ((linkFailure == EPERM || linkFailure == ENOTSUP) && ::access(path.c_str(), F_OK) != 0 &&
                   ::rename(tmp.c_str(), path.c_str()) == 0) {
            return ERROR_SUCCESS; // a file system without hard links
        } else {
            result = ErrorFromErrno(linkFailure);
            why = path + ": " + std::strerror(linkFailure);
        }
    }
    ::unlink(tmp.c_str());
    return result;
}

FileDescriptor::~FileDescriptor()
{
    close();
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(other.fd_)
{
    other.fd_ = -1;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

DWORD FileDescriptor::openForWriting(const std::string& path)
{
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    return fd_ < 0 ? ErrorFromErrno(errno) : ERROR_SUCCESS;
}

DWORD FileDescriptor::openForReading(const std::string& path, std::uint64_t& size, std::string& why)
{
    close();
    std::string reason;
    const DWORD error = OpenRegularFile(path, fd_, size, reason);
    if (error != ERROR_SUCCESS)
        why = path + ": " + reason;
    return error;
}

DWORD FileDescriptor::size(std::uint64_t& size) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return ERROR_READ_FAULT;
    size = static_cast<std::uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

DWORD FileDescriptor::stamp(FileStamp& stamp) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return ERROR_READ_FAULT;
    stamp = FileStampOf(st);
    return ERROR_SUCCESS;
}

DWORD FileDescriptor::readAt(std::uint64_t offset, BYTE* data, std::size_t size, std::size_t& done) const
{
    done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ERROR_READ_FAULT;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return ERROR_SUCCESS;
}

void FileDescriptor::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

DWORD FileDescriptor::writeAt(std::uint64_t offset, const BYTE* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ErrorFromErrno(errno);
        done += static_cast<std::size_t>(n);
    }
    return ERROR_SUCCESS;
}

DWORD FileDescriptor::resize(std::uint64_t size)
{
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

} // namespace platform
