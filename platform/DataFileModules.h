#pragma once
// Message files loaded as data (LoadLibraryExA with LOAD_LIBRARY_AS_DATAFILE):
// PE images whose resources FormatMessageA reads.  Their handles are told
// apart from those of the platform's own modules by their low bit, as the
// platform marks a data-file mapping, and FreeLibrary hands them here.

#include "Win32Types.h"

#include <string>
#include <vector>

namespace platform {

// Maps a PE image held in memory as a data-file module.  ERROR_SUCCESS and
// the handle, or ERROR_BAD_EXE_FORMAT when the bytes are not a PE image.
DWORD LoadDataFileImage(std::vector<BYTE> bytes, HMODULE& module);

bool IsDataFileModule(HMODULE module);

// Unloads a data-file module; false for a handle that is not one (any more).
bool FreeDataFileModule(HMODULE module);

// The text of a message in the module's message table (resource type 11,
// name 1), as UTF-8.  Language 0 chooses the table as the platform does:
// language neutral, then the user's and system's language (the profile's
// `uiLanguage`), then English (United States), then the first language the
// file has; any other language must be present itself.
// Errors: ERROR_INVALID_HANDLE (not a data-file module), the resource errors
// of PeImage::FindResource, ERROR_MR_MID_NOT_FOUND, ERROR_INVALID_DATA.
DWORD FindModuleMessage(HMODULE module, DWORD messageId, DWORD languageId, std::string& text);

} // namespace platform
