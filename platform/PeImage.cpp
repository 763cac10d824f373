#include "PeImage.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kNewHeaderOffsetField = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kMaxSections = 96; // the format's own limit
constexpr WORD kMagicPe32 = 0x10B;
constexpr WORD kMagicPe32Plus = 0x20B;
constexpr DWORD kResourceDirectoryIndex = 2;
constexpr std::size_t kResourceDirectorySize = 16;
constexpr std::size_t kResourceEntrySize = 8;
constexpr std::size_t kResourceDataEntrySize = 16;
constexpr DWORD kHighBit = 0x80000000;

WORD read16(std::span<const BYTE> data, std::size_t offset)
{
    return static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
}

DWORD read32(std::span<const BYTE> data, std::size_t offset)
{
    return static_cast<DWORD>(data[offset]) | (static_cast<DWORD>(data[offset + 1]) << 8) |
           (static_cast<DWORD>(data[offset + 2]) << 16) | (static_cast<DWORD>(data[offset + 3]) << 24);
}

// True when [offset, offset + size) lies within a block of `total` bytes.
bool fits(std::size_t total, std::uint64_t offset, std::uint64_t size)
{
    return offset <= total && size <= total - offset;
}

} // namespace

static_assert(PeImage::kStartSize == kDosHeaderSize);

bool PeImage::MayBeImage(std::span<const BYTE> start, std::uint64_t fileSize)
{
    if (start.size() < kDosHeaderSize || fileSize < kDosHeaderSize || start[0] != 'M' || start[1] != 'Z')
        return false;
    const std::uint64_t peOffset = read32(start, kNewHeaderOffsetField);
    return peOffset <= fileSize && 4 + kFileHeaderSize <= fileSize - peOffset;
}

DWORD PeImage::Parse(std::vector<BYTE> bytes, PeImage& image)
{
    const std::span<const BYTE> file(bytes);
    if (!MayBeImage(file.first(std::min(file.size(), kDosHeaderSize)), file.size()))
        return ERROR_BAD_EXE_FORMAT;
    const std::uint64_t peOffset = read32(file, kNewHeaderOffsetField);
    if (file[peOffset] != 'P' || file[peOffset + 1] != 'E' || file[peOffset + 2] != 0 || file[peOffset + 3] != 0)
        return ERROR_BAD_EXE_FORMAT;

    const std::size_t fileHeader = peOffset + 4;
    const WORD machine = read16(file, fileHeader);
    const WORD sectionCount = read16(file, fileHeader + 2);
    const WORD optionalSize = read16(file, fileHeader + 16);
    const std::size_t optional = fileHeader + kFileHeaderSize;
    if (sectionCount > kMaxSections || optionalSize < 2 || !fits(file.size(), optional, optionalSize))
        return ERROR_BAD_EXE_FORMAT;

    const WORD magic = read16(file, optional);
    std::size_t countField = 0;
    if (magic == kMagicPe32)
        countField = 92;
    else if (magic == kMagicPe32Plus)
        countField = 108;
    else
        return ERROR_BAD_EXE_FORMAT;
    if (optionalSize < countField + 4)
        return ERROR_BAD_EXE_FORMAT;
    const DWORD directoryCount = read32(file, optional + countField);
    const std::size_t directories = countField + 4;
    DWORD resourceRva = 0;
    DWORD resourceSize = 0;
    const std::uint64_t resourceField = directories + std::uint64_t{kResourceDirectoryIndex} * 8;
    if (directoryCount > kResourceDirectoryIndex && resourceField + 8 <= optionalSize) {
        resourceRva = read32(file, optional + resourceField);
        resourceSize = read32(file, optional + resourceField + 4);
    }

    const std::uint64_t sectionTable = optional + optionalSize;
    if (!fits(file.size(), sectionTable, std::uint64_t{sectionCount} * kSectionHeaderSize))
        return ERROR_BAD_EXE_FORMAT;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t header = sectionTable + i * kSectionHeaderSize;
        Section s{};
        s.virtualSize = read32(file, header + 8);
        s.virtualAddress = read32(file, header + 12);
        const DWORD rawSize = read32(file, header + 16);
        s.rawOffset = read32(file, header + 20);
        // Data beyond the end of the file is not there: clip it.
        if (s.rawOffset >= file.size())
            s.rawSize = 0;
        else
            s.rawSize = static_cast<DWORD>(std::min<std::uint64_t>(rawSize, file.size() - s.rawOffset));
        sections.push_back(s);
    }

    image.bytes_ = std::move(bytes);
    image.sections_ = std::move(sections);
    image.machine_ = machine;
    image.pe32Plus_ = magic == kMagicPe32Plus;
    image.resourceRva_ = resourceRva;
    image.resourceSize_ = resourceSize;
    return ERROR_SUCCESS;
}

std::span<const BYTE> PeImage::DataAt(DWORD rva, DWORD size) const
{
    for (const Section& s : sections_) {
        if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize)
            continue;
        const std::uint64_t start = rva - s.virtualAddress;
        if (!fits(s.rawSize, start, size))
            return {};
        return std::span<const BYTE>(bytes_).subspan(s.rawOffset + start, size);
    }
    return {};
}

std::span<const BYTE> PeImage::resourceArea() const
{
    if (resourceRva_ == 0 || resourceSize_ == 0)
        return {};
    for (const Section& s : sections_) {
        if (resourceRva_ < s.virtualAddress || resourceRva_ - s.virtualAddress >= s.rawSize)
            continue;
        const std::size_t start = resourceRva_ - s.virtualAddress;
        return std::span<const BYTE>(bytes_).subspan(s.rawOffset + start, s.rawSize - start);
    }
    return {};
}

DWORD PeImage::readDirectory(std::span<const BYTE> area, DWORD offset, std::vector<DirectoryEntry>& entries) const
{
    entries.clear();
    if (!fits(area.size(), offset, kResourceDirectorySize))
        return ERROR_INVALID_DATA;
    const std::size_t count = std::size_t{read16(area, offset + 12)} + read16(area, offset + 14);
    const std::uint64_t first = std::uint64_t{offset} + kResourceDirectorySize;
    if (!fits(area.size(), first, count * kResourceEntrySize))
        return ERROR_INVALID_DATA;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = first + i * kResourceEntrySize;
        const DWORD name = read32(area, at);
        const DWORD target = read32(area, at + 4);
        if (name & kHighBit)
            continue; // a named entry; only integer ids are looked up
        entries.push_back({name, target & ~kHighBit, (target & kHighBit) != 0});
    }
    return ERROR_SUCCESS;
}

DWORD PeImage::findNameDirectory(WORD type, WORD name, std::span<const BYTE>& area,
                                 std::vector<DirectoryEntry>& languages) const
{
    area = resourceArea();
    if (area.empty())
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    // Three fixed levels, type, name and language: a directory that points
    // back at itself is only ever read three times.
    std::vector<DirectoryEntry> entries;
    if (DWORD e = readDirectory(area, 0, entries))
        return e;
    const DirectoryEntry* typeEntry = nullptr;
    for (const DirectoryEntry& entry : entries)
        if (entry.id == type) {
            typeEntry = &entry;
            break;
        }
    if (!typeEntry)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (!typeEntry->isDirectory)
        return ERROR_INVALID_DATA;
    const DWORD typeOffset = typeEntry->offset;
    if (DWORD e = readDirectory(area, typeOffset, entries))
        return e;
    const DirectoryEntry* nameEntry = nullptr;
    for (const DirectoryEntry& entry : entries)
        if (entry.id == name) {
            nameEntry = &entry;
            break;
        }
    if (!nameEntry)
        return ERROR_RESOURCE_NAME_NOT_FOUND;
    if (!nameEntry->isDirectory)
        return ERROR_INVALID_DATA;
    const DWORD nameOffset = nameEntry->offset;
    return readDirectory(area, nameOffset, languages);
}

DWORD PeImage::ResourceLanguages(WORD type, WORD name, std::vector<WORD>& languages) const
{
    languages.clear();
    std::span<const BYTE> area;
    std::vector<DirectoryEntry> entries;
    if (DWORD e = findNameDirectory(type, name, area, entries))
        return e;
    for (const DirectoryEntry& entry : entries)
        if (entry.id <= 0xFFFF)
            languages.push_back(static_cast<WORD>(entry.id));
    return languages.empty() ? ERROR_RESOURCE_LANG_NOT_FOUND : ERROR_SUCCESS;
}

DWORD PeImage::FindResource(WORD type, WORD name, WORD language, std::span<const BYTE>& data) const
{
    data = {};
    std::span<const BYTE> area;
    std::vector<DirectoryEntry> entries;
    if (DWORD e = findNameDirectory(type, name, area, entries))
        return e;
    for (const DirectoryEntry& entry : entries) {
        if (entry.id != language)
            continue;
        if (entry.isDirectory || !fits(area.size(), entry.offset, kResourceDataEntrySize))
            return ERROR_INVALID_DATA;
        const DWORD rva = read32(area, entry.offset);
        const DWORD size = read32(area, entry.offset + 4);
        if (size == 0)
            return ERROR_SUCCESS;
        data = DataAt(rva, size);
        return data.empty() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
    }
    return ERROR_RESOURCE_LANG_NOT_FOUND;
}

} // namespace platform
