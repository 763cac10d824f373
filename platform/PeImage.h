#pragma once
// A PE image (PE32 or PE32+, DLL or EXE) held as the bytes of its file, as
// LoadLibraryExA maps a data file: its headers, its sections and its
// resource directory.  Every offset, size and count read from the file is
// checked against the file before use; nothing outside it is ever read.

#include "Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

inline constexpr WORD kResourceTypeMessageTable = 11; // RT_MESSAGETABLE

class PeImage {
public:
    // ERROR_SUCCESS and the image, or ERROR_BAD_EXE_FORMAT when the bytes
    // are not a PE image: no "MZ" header, no "PE\0\0" signature where the
    // DOS header points, an optional header of an unknown kind or too short
    // for its fields, or a section table outside the file.
    static DWORD Parse(std::vector<BYTE> bytes, PeImage& image);

    // Whether a file of `fileSize` bytes may be a PE image as far as its
    // first kStartSize bytes (or all of a smaller file) tell: "MZ", and a
    // signature and file header inside the file where the DOS header
    // points.  Lets a file that is none be refused before it is read whole.
    static constexpr std::size_t kStartSize = 0x40;
    static bool MayBeImage(std::span<const BYTE> start, std::uint64_t fileSize);

    bool IsPe32Plus() const { return pe32Plus_; }
    WORD Machine() const { return machine_; }
    std::size_t SectionCount() const { return sections_.size(); }
    std::size_t FileSize() const { return bytes_.size(); }

    // The `size` bytes at a relative virtual address, when they lie wholly in
    // the file data of one section; an empty span otherwise.
    std::span<const BYTE> DataAt(DWORD rva, DWORD size) const;

    // The data of the resource type/name/language, by integer ids.
    // ERROR_RESOURCE_DATA_NOT_FOUND: the image has no resource directory
    // (or it lies outside every section); ERROR_RESOURCE_TYPE_NOT_FOUND,
    // ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_LANG_NOT_FOUND: no such
    // entry; ERROR_INVALID_DATA: the directory or the data entry is damaged.
    DWORD FindResource(WORD type, WORD name, WORD language, std::span<const BYTE>& data) const;

    // The languages of a resource type/name in directory order, with the
    // same errors as FindResource.
    DWORD ResourceLanguages(WORD type, WORD name, std::vector<WORD>& languages) const;

private:
    struct Section {
        DWORD virtualAddress;
        DWORD virtualSize;
        DWORD rawOffset;
        DWORD rawSize; // clipped to the file
    };
    struct DirectoryEntry {
        DWORD id;
        DWORD offset;
        bool isDirectory;
    };

    // The resource section from the directory's start to its section's end.
    std::span<const BYTE> resourceArea() const;
    DWORD readDirectory(std::span<const BYTE> area, DWORD offset, std::vector<DirectoryEntry>& entries) const;
    DWORD findNameDirectory(WORD type, WORD name, std::span<const BYTE>& area,
                            std::vector<DirectoryEntry>& languages) const;

    std::vector<BYTE> bytes_;
    std::vector<Section> sections_;
    WORD machine_ = 0;
    bool pe32Plus_ = false;
    DWORD resourceRva_ = 0;
    DWORD resourceSize_ = 0;
};

} // namespace platform
