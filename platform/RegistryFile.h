#pragma once
// Registry files: the text form in which the system's registry editor
// exports and imports keys, used here to keep every registry of the site.
//
// Format (read and written):
//
//     Windows Registry Editor Version 5.00        <- first line ("REGEDIT4" is read too)
//
//     [HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\System]
//     "File"=hex(2):25,00,53,00,...,00,00         <- REG_EXPAND_SZ
//     "MaxSize"=dword:00080000                    <- REG_DWORD
//     "Sources"=hex(7):41,00,00,00,00,00          <- REG_MULTI_SZ
//     "Data"=hex:01,02,03                         <- REG_BINARY
//     "Text"="C:\\WINDOWS \"quoted\""             <- REG_SZ; \\ and \" are escapes
//     @="default value"                           <- the key's unnamed value
//     "Other"=hex(b):01,00,00,00,00,00,00,00      <- any other type by number
//
// - Encoding: UTF-16LE with a byte-order mark, as the editor writes it (the
//   writer's default), or UTF-8 with or without a byte-order mark.  Lines
//   end in CR LF (LF alone is read too).
// - In "Windows Registry Editor Version 5.00" files the bytes of hex(1),
//   hex(2) and hex(7) values are UTF-16LE text; in REGEDIT4 files they are
//   ANSI (UTF-8) text.  In memory every text value is UTF-8.
// - A hex list may continue on the next line after a trailing backslash.
//   Blank lines and lines starting with ';' are ignored.
// - Importing semantics are kept: "[-KEY]" deletes a key read before, and
//   "name"=- deletes a value.
// - Every key must lie below the file's root (HKEY_LOCAL_MACHINE for a
//   computer's registry, HKEY_CURRENT_USER for a user's).  Key names are at
//   most 255 characters, at most 512 levels deep; value names at most
//   16383 characters; files at most 64 MiB.
//
// A file that breaks these rules is refused as a whole, with the line and
// the fault in the message; nothing of it is taken.

#include "FileIo.h"
#include "RegistryKey.h"

#include <string>
#include <string_view>

namespace platform {

enum class RegistryFileEncoding { Utf16LE, Utf8 };

inline constexpr std::size_t kMaxRegistryFileSize = 64u * 1024 * 1024;
inline constexpr std::size_t kMaxRegistryKeyNameLength = 255;
inline constexpr std::size_t kMaxRegistryDepth = 512;
inline constexpr std::size_t kMaxRegistryValueNameLength = 16383;

// Parses the bytes of a registry file whose keys lie below `rootName`
// ("HKEY_LOCAL_MACHINE").  On success `root` holds the keys below the root;
// on failure `root` is left untouched and `error` says what is wrong
// ("line 12: ...").
bool ParseRegistryFile(std::string_view bytes, std::string_view rootName, RegistryKey& root, std::string& error);

// The file for `root`, standing for the key `rootName`.
std::string FormatRegistryFile(const RegistryKey& root, std::string_view rootName,
                               RegistryFileEncoding encoding = RegistryFileEncoding::Utf16LE);

enum class RegistryFileStatus { Loaded, Missing, Damaged };

// Reads a registry file; Missing when there is no file (root untouched),
// Damaged with "<path>: ..." in `error` when it cannot be read or parsed.
// The file is read through one open file: a writer that replaces it
// meanwhile gives either the old or the new version, never a mix.
RegistryFileStatus ReadRegistryFile(const std::string& path, std::string_view rootName, RegistryKey& root,
                                    std::string& error);

// Writes a registry file atomically: into a temporary file beside it, which
// then replaces the file, so that the file is always either the old or the
// new one.  The temporary is named after the file as far as the folder's
// longest name allows.  Missing directories are created.  False with
// `error` set when the file could not be written; the old file is then
// unchanged.  On success `stamp` (if given) is that of the file written.
bool WriteRegistryFile(const std::string& path, const RegistryKey& root, std::string_view rootName,
                       std::string& error, RegistryFileEncoding encoding = RegistryFileEncoding::Utf16LE,
                       FileStamp* stamp = nullptr);

} // namespace platform
