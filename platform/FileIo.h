#pragma once
// The few file operations the platform's services need, with errno turned
// into the platform's error codes.

#include "Win32Types.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct stat;

namespace platform {

DWORD ErrorFromErrno(int error);

class FileDescriptor;

// Reads a whole regular file (at most 4 GiB).
DWORD ReadWholeFile(const std::string& path, std::vector<BYTE>& bytes, std::string& why);
// The same for a file open for reading (FileDescriptor::openForReading)
// whose size was `size` then; fewer bytes when it has shrunk since.  `path`
// names the file in why.
DWORD ReadWholeFile(const FileDescriptor& file, std::uint64_t size, const std::string& path,
                    std::vector<BYTE>& bytes, std::string& why);

// Reads the first `size` bytes of a file whose size the caller has checked
// into `text`; false when the file cannot be opened or holds fewer bytes.
bool ReadFileText(const std::string& path, std::size_t size, std::string& text);

// The file a path names once every symbolic link on its last component is
// followed (relative links from the link's own folder); the path itself
// when it is no link.  A chain longer than 40 links is ELOOP, as the system
// counts.  Writers replace this file, so a link stays a link and its target
// gets the new contents.
bool FinalLinkTarget(const std::string& path, std::string& target, int& error);

// What tells one version of a file from another: a file replaced through
// a rename is another inode, and a file changed in place has another size
// or modification time.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp FileStampOf(const struct stat& st);

// The stamp of the file a path names (links followed); 0 or the errno value
// of the failure (ENOENT when there is no file).
int StampOfFile(const std::string& path, FileStamp& stamp);

// The path of a file that goes with `file` (its temporary, its lock file)
// in the same folder: the file's name followed by `suffix` where that fits
// in the folder's longest name, else the file's name cut short enough (at
// a character's boundary) for the suffix to fit.  What tells one such file
// from another lies in the suffix.
std::string SiblingPath(const std::string& file, std::string_view suffix);

// Opens a regular file, or a symbolic link to one, for reading and gives its
// size.  Anything else (a FIFO, a device, a folder) is refused with
// ERROR_ACCESS_DENIED and the reason "not a regular file", and is never
// waited on: a FIFO would hold open() until something writes to it.  On a
// failure fd is -1 and reason the system's text.
DWORD OpenRegularFile(const std::string& path, int& fd, std::uint64_t& size, std::string& reason);

// The names in a directory, "." and ".." left out, in the order the system
// gives them; false when the directory cannot be read.  Unlike the error-code
// forms of std::filesystem's iterators, which end the program when memory
// runs out, this lets std::bad_alloc go to the caller.
bool ListDirectory(const std::string& directory, std::vector<std::string>& names);

// Writes a file through a temporary file beside it and a rename, so a crash
// never leaves half a file; a symbolic link is written through to its
// target.  Without replaceExisting an existing file is ERROR_ALREADY_EXISTS
// and stays as it was.  A file replaced keeps its mode; a new file gets
// 0666 less the umask.  why gives the path and the system's reason.
DWORD WriteFileAtomically(const std::string& path, const BYTE* data, std::size_t size, bool replaceExisting,
                          std::string& why);
// The same for contents given as pieces written one after another.
DWORD WriteFileAtomically(const std::string& path, std::span<const std::span<const BYTE>> pieces,
                          bool replaceExisting, std::string& why);

// An open file descriptor, closed with the object.
class FileDescriptor {
public:
    FileDescriptor() = default;
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    DWORD openForWriting(const std::string& path);
    // Opens a regular file for reading and gives its size (OpenRegularFile);
    // why names the file and says what is wrong when it fails.
    DWORD openForReading(const std::string& path, std::uint64_t& size, std::string& why);
    bool isOpen() const { return fd_ >= 0; }
    void close();
    // The file's size as it is now.
    DWORD size(std::uint64_t& size) const;
    // The file's stamp as it is now.
    DWORD stamp(FileStamp& stamp) const;
    DWORD writeAt(std::uint64_t offset, const BYTE* data, std::size_t size);
    // Reads up to `size` bytes at offset; `done` is fewer only at the end of
    // the file.
    DWORD readAt(std::uint64_t offset, BYTE* data, std::size_t size, std::size_t& done) const;
    DWORD resize(std::uint64_t size);

private:
    int fd_ = -1;
};

} // namespace platform
