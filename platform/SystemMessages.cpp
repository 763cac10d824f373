#include "SystemMessages.h"

#include "ErrorCodes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace platform {
namespace {

struct Entry {
    DWORD code;
    const char* text;
};

// Sorted by code.
constexpr Entry kMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command.\r\n"},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format.\r\n"},
    {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
    {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation.\r\n"},
    {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device.\r\n"},
    {ERROR_READ_FAULT, "The system cannot read from the specified device.\r\n"},
    {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
    {ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
    {ERROR_BAD_NETPATH, "The network path was not found.\r\n"},
    {ERROR_NETWORK_ACCESS_DENIED, "Network access is denied.\r\n"},
    {ERROR_BAD_NET_NAME, "The network name cannot be found.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_INVALID_LEVEL, "The system call level is not correct.\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
    {ERROR_BAD_PATHNAME, "The specified path is invalid.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\n"},
    {ERROR_MORE_DATA, "More data is available.\r\n"},
    {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
    {ERROR_MR_MID_NOT_FOUND,
     "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {ERROR_INVALID_FLAGS, "Invalid flags.\r\n"},
    {ERROR_BADDB, "The configuration registry database is corrupt.\r\n"},
    {ERROR_BADKEY, "The configuration registry key is invalid.\r\n"},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened.\r\n"},
    {ERROR_CANTREAD, "The configuration registry key could not be read.\r\n"},
    {ERROR_CANTWRITE, "The configuration registry key could not be written.\r\n"},
    {ERROR_REGISTRY_CORRUPT,
     "The registry is corrupted. The structure of one of the files containing registry data is "
     "corrupted, or the system's memory image of the file is corrupted, or the file could not be "
     "recovered because the alternate copy or log was absent or corrupted.\r\n"},
    {ERROR_REGISTRY_IO_FAILED,
     "An I/O operation initiated by the registry failed unrecoverably. The registry could not read "
     "in, or write out, or flush, one of the files that contain the system's image of the "
     "registry.\r\n"},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {ERROR_BAD_DEVICE, "The specified device name is invalid.\r\n"},
    {ERROR_CONNECTION_UNAVAIL,
     "The device is not currently connected but it is a remembered connection.\r\n"},
    {ERROR_NO_NET_OR_BAD_PATH,
     "The network path was either typed incorrectly, does not exist, or the network provider is "
     "not currently available. Please try retyping the path or contact your network "
     "administrator.\r\n"},
    {ERROR_BAD_PROVIDER, "The specified network provider name is invalid.\r\n"},
    {ERROR_NOT_CONTAINER, "Cannot enumerate a noncontainer.\r\n"},
    {ERROR_EXTENDED_ERROR, "An extended error has occurred.\r\n"},
    {ERROR_SESSION_CREDENTIAL_CONFLICT,
     "Multiple connections to a server or shared resource by the same user, using more than one "
     "user name, are not allowed. Disconnect all previous connections to the server or shared "
     "resource and try again.\r\n"},
    {ERROR_NO_NETWORK, "The network is not present or not started.\r\n"},
    {ERROR_LOGON_FAILURE, "Logon failure: unknown user name or bad password.\r\n"},
    {ERROR_NONE_MAPPED, "No mapping between account names and security IDs was done.\r\n"},
    {ERROR_INVALID_SID, "The security ID structure is invalid.\r\n"},
    {ERROR_FILE_CORRUPT, "The file or directory is corrupted and unreadable.\r\n"},
    {ERROR_EVENTLOG_FILE_CORRUPT, "The event log file is corrupted.\r\n"},
    {ERROR_EVENTLOG_CANT_START,
     "No event log file could be opened, so the event logging service did not start.\r\n"},
    {ERROR_LOG_FILE_FULL, "The event log file is full.\r\n"},
    {ERROR_EVENTLOG_FILE_CHANGED, "The event log file has changed between read operations.\r\n"},
    {RPC_S_SERVER_UNAVAILABLE, "The RPC server is unavailable.\r\n"},
    {ERROR_RESOURCE_DATA_NOT_FOUND,
     "The specified image file did not contain a resource section.\r\n"},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file.\r\n"},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND,
     "The specified resource language ID cannot be found in the image file.\r\n"},
    {NERR_BufTooSmall, "The API return buffer is too small.\r\n"},
    {ERROR_NOT_CONNECTED, "This network connection does not exist.\r\n"},
    {ERROR_NO_BROWSER_SERVERS_FOUND, "The list of servers for this workgroup is not currently available\r\n"},
};

constexpr bool sortedByCode()
{
    for (std::size_t i = 1; i < std::size(kMessages); ++i)
        if (kMessages[i - 1].code >= kMessages[i].code)
            return false;
    return true;
}
static_assert(sortedByCode(), "system messages must stay sorted by code");

} // namespace

const char* SystemMessageText(DWORD code)
{
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const Entry& e, DWORD c) { return e.code < c; });
    if (it == std::end(kMessages) || it->code != code)
        return nullptr;
    return it->text;
}

} // namespace platform
