#pragma once
// A compiled HTML help file (*.chm) read with chmlib: its pages and
// images by name, and the title and default topic its project gave it.
// A file that is damaged is reported, never trusted: its structure, and
// where every object lies, are checked against the file's size before
// chmlib sees it, and a page is given only when it was read whole.

#include "FileIo.h"
#include "Win32Types.h"

#include <cstdint>
#include <string>
#include <vector>

struct chmFile;

namespace platform {

class ChmFile {
public:
    // An object larger than this is taken as a sign of damage.
    static constexpr std::size_t kMaxObjectSize = 64u << 20;

    ChmFile() = default;
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // ERROR_SUCCESS; ERROR_FILE_NOT_FOUND when there is no such file;
    // ERROR_FILE_CORRUPT when it is not a readable help file, or one cut
    // short: an object that does not lie whole in the file.
    DWORD Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

    // True when the file holds an object of this name ("/index.html").
    bool Contains(const std::string& name) const;
    // ERROR_SUCCESS with the object's bytes; ERROR_FILE_NOT_FOUND when the
    // file holds no object of that name; ERROR_FILE_CORRUPT, with no bytes,
    // when it cannot be read whole (also when the file has become shorter
    // since it was opened).
    DWORD Read(const std::string& name, std::vector<BYTE>& bytes) const;

    // From the "#SYSTEM" object: the title and the default topic ("/" and
    // the page), empty when the file gives none.
    const std::string& Title() const { return title_; }
    const std::string& DefaultTopic() const { return defaultTopic_; }

private:
    void ReadSystemObject();

    chmFile* file_ = nullptr;
    // The file as it was checked, and its size then.
    FileDescriptor checked_;
    std::uint64_t checkedSize_ = 0;
    std::string path_;
    std::string title_;
    std::string defaultTopic_;
};

// One object of a help file's directory.
struct ChmDirectoryEntry {
    std::string name;
    std::uint64_t section = 0; // 0: stored as is; 1: compressed
    std::uint64_t offset = 0;  // in its section
    std::uint64_t length = 0;
};

// Checks what chmlib trusts of a file before it is handed to it: the
// headers (ITSF, ITSP), every directory chunk (PMGL listings and PMGI
// indexes, their entries within their chunks, index links that lead to
// chunks of the directory without a cycle).  ERROR_SUCCESS with the
// objects of the directory and where the stored section starts, or
// ERROR_FILE_CORRUPT.  `bytes` is the start of the file up to the end of
// its directory (or the whole file); `fileSize` its whole size.
DWORD CheckChmDirectory(const std::vector<BYTE>& bytes, std::uint64_t fileSize,
                        std::vector<ChmDirectoryEntry>& entries, std::uint64_t& contentOffset);

// Checks where the objects of a directory lie: those of the stored section
// (0) inside the file; with objects in the compressed section (1), its
// content, stored in section 0, inside the file, the blocks that the reset
// table lists in order within that content, and every object of section 1
// within the bytes those blocks give.  No other section exists.
// `resetTable` is the reset table's bytes, empty when the file has none.
// ERROR_SUCCESS or ERROR_FILE_CORRUPT.
DWORD CheckChmSections(const std::vector<ChmDirectoryEntry>& entries, std::uint64_t contentOffset,
                       std::uint64_t fileSize, const std::vector<BYTE>& resetTable);

// Checks the compression parameters of a file: its LZX control data and
// reset table objects, as chmlib uses them to size its buffers and to
// divide.  ERROR_SUCCESS or ERROR_FILE_CORRUPT.
DWORD CheckChmControlData(const std::vector<BYTE>& controlData);
DWORD CheckChmResetTable(const std::vector<BYTE>& resetTable);

// The title and the default topic from the bytes of a "#SYSTEM" object:
// a version, then records of a 16-bit code, a 16-bit length and that many
// bytes (code 2: the default topic, code 3: the title).  Records that run
// past the end are ignored.
void ParseChmSystem(const std::vector<BYTE>& bytes, std::string& title, std::string& defaultTopic);

} // namespace platform
