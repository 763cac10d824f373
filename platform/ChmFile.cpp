#include "ChmFile.h"

#include "AsciiText.h"
#include "ErrorCodes.h"

#include <chm_lib.h>

#include <algorithm>
#include <filesystem>

namespace platform {
namespace {

// A text of a #SYSTEM record: up to its first NUL.
std::string recordText(const BYTE* data, std::size_t length)
{
    std::size_t end = 0;
    while (end < length && data[end] != 0)
        ++end;
    return std::string(reinterpret_cast<const char*>(data), end);
}

WORD readWord(const std::vector<BYTE>& bytes, std::size_t at)
{
    return static_cast<WORD>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t le32(const std::vector<BYTE>& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint64_t le64(const std::vector<BYTE>& bytes, std::size_t at)
{
    return le32(bytes, at) | static_cast<std::uint64_t>(le32(bytes, at + 4)) << 32;
}

bool signatureAt(const std::vector<BYTE>& bytes, std::size_t at, const char (&signature)[5])
{
    return at + 4 <= bytes.size() && std::equal(signature, signature + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// A variable-length number of the directory: seven bits a byte, the high
// bit set on every byte but the last.  False when it runs past `end`.
bool readEncInt(const std::vector<BYTE>& bytes, std::size_t& at, std::size_t end, std::uint64_t& value)
{
    value = 0;
    for (int length = 0; length < 9; ++length) {
        if (at >= end)
            return false;
        const BYTE b = bytes[at++];
        value = value << 7 | (b & 0x7F);
        if ((b & 0x80) == 0)
            return true;
    }
    return false;
}

constexpr std::size_t kItsfV2Length = 0x58;
constexpr std::size_t kItsfV3Length = 0x60;
constexpr std::size_t kItspLength = 0x54;
constexpr std::size_t kListingHeader = 0x14; // PMGL
constexpr std::size_t kIndexHeader = 0x08;   // PMGI
constexpr std::uint32_t kMinChunk = 0x20;
constexpr std::uint32_t kMaxChunk = 0x10000;
constexpr std::uint64_t kMaxDirectory = 32u << 20;
constexpr std::uint64_t kLzxBlockLength = 0x8000;

// The entries of a directory chunk lie within its used part; an index
// chunk's links go to chunks of the directory.
bool checkChunk(const std::vector<BYTE>& bytes, std::size_t base, std::uint32_t chunkLength, std::uint64_t chunks,
                std::vector<std::uint64_t>& links, std::vector<ChmDirectoryEntry>& entries)
{
    const bool listing = signatureAt(bytes, base, "PMGL");
    if (!listing && !signatureAt(bytes, base, "PMGI"))
        return false;
    const std::size_t header = listing ? kListingHeader : kIndexHeader;
    const std::uint32_t freeSpace = le32(bytes, base + 4);
    if (freeSpace > chunkLength - header)
        return false;
    if (listing) {
        const auto next = static_cast<std::int32_t>(le32(bytes, base + 0x10));
        if (next < -1 || (next >= 0 && static_cast<std::uint64_t>(next) >= chunks))
            return false;
    }
    const std::size_t end = base + chunkLength - freeSpace;
    std::size_t at = base + header;
    while (at < end) {
        std::uint64_t nameLength = 0;
        if (!readEncInt(bytes, at, end, nameLength) || nameLength > CHM_MAX_PATHLEN || nameLength > end - at)
            return false;
        const auto name = reinterpret_cast<const char*>(bytes.data() + at);
        at += static_cast<std::size_t>(nameLength);
        std::uint64_t value = 0;
        if (listing) {
            ChmDirectoryEntry entry;
            entry.name.assign(name, static_cast<std::size_t>(nameLength));
            if (!readEncInt(bytes, at, end, entry.section) || !readEncInt(bytes, at, end, entry.offset) ||
                !readEncInt(bytes, at, end, entry.length))
                return false;
            entries.push_back(std::move(entry));
        } else {
            if (!readEncInt(bytes, at, end, value) || value >= chunks)
                return false;
            links.push_back(value);
        }
    }
    return true;
}

// True when the index links reachable from `root` never lead back to a
// chunk on the way to it.
bool acyclic(const std::vector<std::vector<std::uint64_t>>& links, std::uint64_t root)
{
    enum : BYTE { unseen, onPath, done };
    std::vector<BYTE> state(links.size(), unseen);
    std::vector<std::pair<std::uint64_t, std::size_t>> path{{root, 0}};
    state[root] = onPath;
    while (!path.empty()) {
        auto& [chunk, next] = path.back();
        if (next == links[chunk].size()) {
            state[chunk] = done;
            path.pop_back();
            continue;
        }
        const std::uint64_t child = links[chunk][next++];
        if (state[child] == onPath)
            return false;
        if (state[child] == unseen) {
            state[child] = onPath;
            path.emplace_back(child, 0);
        }
    }
    return true;
}

// The start of a file up to the end of its directory, as far as the
// headers give it.
DWORD readDirectory(const FileDescriptor& file, std::uint64_t fileSize, std::vector<BYTE>& bytes)
{
    const auto readPrefix = [&](std::uint64_t length) {
        bytes.resize(static_cast<std::size_t>(std::min(length, fileSize)));
        std::size_t done = 0;
        return file.readAt(0, bytes.data(), bytes.size(), done) == ERROR_SUCCESS && done == bytes.size();
    };
    if (!readPrefix(kItsfV3Length) || bytes.size() < kItsfV2Length)
        return ERROR_FILE_CORRUPT;
    const std::uint64_t directoryEnd = le64(bytes, 0x48) + le64(bytes, 0x50);
    if (directoryEnd < le64(bytes, 0x48) || directoryEnd > fileSize || directoryEnd > kMaxDirectory)
        return ERROR_FILE_CORRUPT;
    return readPrefix(std::max<std::uint64_t>(directoryEnd, kItsfV3Length)) ? ERROR_SUCCESS : ERROR_FILE_CORRUPT;
}

constexpr char kResetTable[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr char kControlData[] = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr char kContent[] = "::DataSpace/Storage/MSCompressed/Content";

// True when an object of the stored section lies inside the file.
bool storedInFile(const ChmDirectoryEntry& entry, std::uint64_t contentOffset, std::uint64_t fileSize)
{
    return entry.section == 0 && contentOffset <= fileSize && entry.offset <= fileSize - contentOffset &&
           entry.length <= fileSize - contentOffset - entry.offset;
}

// The stored bytes of a directory entry of section 0 (at most 64 KB, all
// that the checks need), or nothing when they lie outside the file.
std::vector<BYTE> storedBytes(const FileDescriptor& file, std::uint64_t fileSize, std::uint64_t contentOffset,
                              const ChmDirectoryEntry& entry)
{
    std::vector<BYTE> bytes;
    if (!storedInFile(entry, contentOffset, fileSize))
        return bytes;
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(entry.length, 0x10000)));
    std::size_t done = 0;
    if (file.readAt(contentOffset + entry.offset, bytes.data(), bytes.size(), done) != ERROR_SUCCESS ||
        done != bytes.size())
        bytes.clear();
    return bytes;
}

} // namespace

DWORD CheckChmDirectory(const std::vector<BYTE>& bytes, std::uint64_t fileSize,
                        std::vector<ChmDirectoryEntry>& entries, std::uint64_t& contentOffset)
{
    entries.clear();
    if (bytes.size() < kItsfV2Length || !signatureAt(bytes, 0, "ITSF"))
        return ERROR_FILE_CORRUPT;
    const std::uint32_t version = le32(bytes, 4);
    const std::uint32_t headerLength = le32(bytes, 8);
    if (version == 2 ? headerLength < kItsfV2Length : version != 3 || headerLength < kItsfV3Length ||
                                                          bytes.size() < kItsfV3Length)
        return ERROR_FILE_CORRUPT;
    const std::uint64_t directory = le64(bytes, 0x48);
    const std::uint64_t directoryLength = le64(bytes, 0x50);
    if (directory > fileSize || directoryLength > fileSize - directory || directoryLength < kItspLength ||
        directory + directoryLength > bytes.size())
        return ERROR_FILE_CORRUPT;
    contentOffset = version == 3 ? le64(bytes, 0x58) : directory + directoryLength;
    if (contentOffset > fileSize)
        return ERROR_FILE_CORRUPT;

    const auto at = static_cast<std::size_t>(directory);
    if (!signatureAt(bytes, at, "ITSP") || le32(bytes, at + 4) != 1 || le32(bytes, at + 8) != kItspLength)
        return ERROR_FILE_CORRUPT;
    const std::uint32_t chunkLength = le32(bytes, at + 0x10);
    if (chunkLength < kMinChunk || chunkLength > kMaxChunk)
        return ERROR_FILE_CORRUPT;
    const std::uint64_t chunks = (directoryLength - kItspLength) / chunkLength;
    const auto root = static_cast<std::int32_t>(le32(bytes, at + 0x1C));
    const auto head = static_cast<std::int32_t>(le32(bytes, at + 0x20));
    const std::int64_t start = root <= -1 ? head : root; // where a lookup begins
    if (chunks == 0 || head < 0 || static_cast<std::uint64_t>(head) >= chunks || start < 0 ||
        static_cast<std::uint64_t>(start) >= chunks)
        return ERROR_FILE_CORRUPT;

    std::vector<std::vector<std::uint64_t>> links(static_cast<std::size_t>(chunks));
    for (std::uint64_t chunk = 0; chunk < chunks; ++chunk) {
        const std::size_t base = at + kItspLength + static_cast<std::size_t>(chunk) * chunkLength;
        if (!checkChunk(bytes, base, chunkLength, chunks, links[static_cast<std::size_t>(chunk)], entries))
            return ERROR_FILE_CORRUPT;
    }
    return acyclic(links, static_cast<std::uint64_t>(start)) ? ERROR_SUCCESS : ERROR_FILE_CORRUPT;
}

DWORD CheckChmControlData(const std::vector<BYTE>& controlData)
{
    // Size, "LZXC", version, reset interval, window size and windows per
    // reset (version 2 counts the first two in 32 KB units).
    if (controlData.size() < 0x18 || !signatureAt(controlData, 4, "LZXC"))
        return ERROR_FILE_CORRUPT;
    const std::uint32_t version = le32(controlData, 8);
    std::uint64_t resetInterval = le32(controlData, 0x0C);
    std::uint64_t windowSize = le32(controlData, 0x10);
    const std::uint64_t windowsPerReset = le32(controlData, 0x14);
    if (version == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    } else if (version != 1) {
        return ERROR_FILE_CORRUPT;
    }
    const bool powerOfTwo = windowSize != 0 && (windowSize & (windowSize - 1)) == 0;
    if (!powerOfTwo || windowSize < (1u << 15) || windowSize > (1u << 21) || resetInterval == 0 ||
        resetInterval % (windowSize / 2) != 0 || windowsPerReset == 0 ||
        resetInterval / (windowSize / 2) * windowsPerReset > 0x10000)
        return ERROR_FILE_CORRUPT;
    return ERROR_SUCCESS;
}

DWORD CheckChmResetTable(const std::vector<BYTE>& resetTable)
{
    // Version 2, the number of blocks, the table's offset, the lengths, and
    // the block length of LZX (32 KB).
    if (resetTable.size() < 0x28 || le32(resetTable, 0) != 2 || le64(resetTable, 0x20) != kLzxBlockLength)
        return ERROR_FILE_CORRUPT;
    const std::uint64_t blocks = le32(resetTable, 4);
    const std::uint64_t tableOffset = le32(resetTable, 0x0C);
    if (tableOffset > resetTable.size() || blocks > (resetTable.size() - tableOffset) / 8)
        return ERROR_FILE_CORRUPT;
    return ERROR_SUCCESS;
}

DWORD CheckChmSections(const std::vector<ChmDirectoryEntry>& entries, std::uint64_t contentOffset,
                       std::uint64_t fileSize, const std::vector<BYTE>& resetTable)
{
    const ChmDirectoryEntry* content = nullptr;
    bool compressed = false;
    for (const ChmDirectoryEntry& entry : entries) {
        if (entry.section > 1 || (entry.section == 0 && !storedInFile(entry, contentOffset, fileSize)))
            return ERROR_FILE_CORRUPT;
        compressed = compressed || (entry.section == 1 && entry.length > 0);
        if (EqualsNoCase(entry.name, kContent)) {
            if (content || entry.section != 0)
                return ERROR_FILE_CORRUPT;
            content = &entry;
        }
    }
    if (!compressed)
        return ERROR_SUCCESS;

    // The compressed section: its content lies in the file (checked above),
    // its blocks within its content, in order, and they give at least the
    // bytes that its objects take.
    if (!content || CheckChmResetTable(resetTable) != ERROR_SUCCESS)
        return ERROR_FILE_CORRUPT;
    const std::uint64_t blocks = le32(resetTable, 4);
    const std::size_t table = le32(resetTable, 0x0C);
    const std::uint64_t uncompressedLength = le64(resetTable, 0x10);
    const std::uint64_t compressedLength = le64(resetTable, 0x18);
    if (compressedLength > content->length || uncompressedLength > blocks * kLzxBlockLength)
        return ERROR_FILE_CORRUPT;
    std::uint64_t previous = 0;
    for (std::size_t block = 0; block < blocks; ++block) {
        const std::uint64_t start = le64(resetTable, table + block * 8);
        if (start < previous || start > compressedLength)
            return ERROR_FILE_CORRUPT;
        previous = start;
    }
    for (const ChmDirectoryEntry& entry : entries) {
        if (entry.section == 1 &&
            (entry.offset > uncompressedLength || entry.length > uncompressedLength - entry.offset))
            return ERROR_FILE_CORRUPT;
    }
    return ERROR_SUCCESS;
}

ChmFile::~ChmFile()
{
    if (file_)
        chm_close(file_);
}

DWORD ChmFile::Open(const std::string& path)
{
    if (file_) {
        chm_close(file_);
        file_ = nullptr;
    }
    checked_.close();
    checkedSize_ = 0;
    path_ = path;
    title_.clear();
    defaultTopic_.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return ERROR_FILE_NOT_FOUND;
    // chmlib trusts what the file says of its own structure, of its
    // compression and of where its objects lie: all of it is checked
    // against the file's size before chmlib sees the file.
    FileDescriptor file;
    std::uint64_t size = 0;
    std::string why;
    std::vector<BYTE> directory;
    std::vector<ChmDirectoryEntry> entries;
    std::uint64_t contentOffset = 0;
    if (file.openForReading(path, size, why) != ERROR_SUCCESS ||
        readDirectory(file, size, directory) != ERROR_SUCCESS ||
        CheckChmDirectory(directory, size, entries, contentOffset) != ERROR_SUCCESS)
        return ERROR_FILE_CORRUPT;
    std::vector<BYTE> resetTable;
    bool controlSeen = false;
    bool resetSeen = false;
    for (const ChmDirectoryEntry& entry : entries) {
        const bool control = EqualsNoCase(entry.name, kControlData);
        if (!control && !EqualsNoCase(entry.name, kResetTable))
            continue;
        // They describe the compressed section, so they cannot lie in it:
        // chmlib would decompress them before it has set up decompression.
        // There is one of each, or the checks might see another one than
        // chmlib uses.
        bool& seen = control ? controlSeen : resetSeen;
        if (seen || entry.section != 0)
            return ERROR_FILE_CORRUPT;
        seen = true;
        std::vector<BYTE> bytes = storedBytes(file, size, contentOffset, entry);
        if ((control ? CheckChmControlData(bytes) : CheckChmResetTable(bytes)) != ERROR_SUCCESS)
            return ERROR_FILE_CORRUPT;
        if (!control)
            resetTable = std::move(bytes);
    }
    if (CheckChmSections(entries, contentOffset, size, resetTable) != ERROR_SUCCESS)
        return ERROR_FILE_CORRUPT;
    file_ = chm_open(path.c_str());
    if (!file_)
        return ERROR_FILE_CORRUPT;
    checked_ = std::move(file);
    checkedSize_ = size;
    ReadSystemObject();
    return ERROR_SUCCESS;
}

bool ChmFile::Contains(const std::string& name) const
{
    chmUnitInfo unit{};
    return file_ && name.size() <= CHM_MAX_PATHLEN && chm_resolve_object(file_, name.c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

DWORD ChmFile::Read(const std::string& name, std::vector<BYTE>& bytes) const
{
    bytes.clear();
    chmUnitInfo unit{};
    if (!file_ || name.size() > CHM_MAX_PATHLEN || chm_resolve_object(file_, name.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    if (unit.length > kMaxObjectSize)
        return ERROR_FILE_CORRUPT;
    bytes.resize(static_cast<std::size_t>(unit.length));
    if (bytes.empty())
        return ERROR_SUCCESS;
    const LONGINT64 read = chm_retrieve_object(file_, &unit, bytes.data(), 0, static_cast<LONGINT64>(unit.length));
    // A file cut since it was checked would let chmlib decompress what is
    // no longer there: a page counts only while the file still holds every
    // byte that was checked.
    std::uint64_t size = 0;
    if (read != static_cast<LONGINT64>(unit.length) || checked_.size(size) != ERROR_SUCCESS || size < checkedSize_) {
        bytes.clear();
        return ERROR_FILE_CORRUPT;
    }
    return ERROR_SUCCESS;
}

void ChmFile::ReadSystemObject()
{
    std::vector<BYTE> bytes;
    if (Read("/#SYSTEM", bytes) == ERROR_SUCCESS)
        ParseChmSystem(bytes, title_, defaultTopic_);
}

void ParseChmSystem(const std::vector<BYTE>& bytes, std::string& title, std::string& defaultTopic)
{
    constexpr WORD kDefaultTopic = 2;
    constexpr WORD kTitle = 3;
    std::size_t at = 4; // the version
    while (at + 4 <= bytes.size()) {
        const WORD code = readWord(bytes, at);
        const std::size_t length = readWord(bytes, at + 2);
        at += 4;
        if (length > bytes.size() - at)
            break;
        if (code == kTitle)
            title = recordText(bytes.data() + at, length);
        else if (code == kDefaultTopic)
            defaultTopic = recordText(bytes.data() + at, length);
        at += length;
    }
    if (!defaultTopic.empty() && defaultTopic.front() != '/')
        defaultTopic.insert(0, "/");
}

} // namespace platform
