#include "FileVersion.h"

#include "ErrorCodes.h"
#include "Kernel32.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";
constexpr std::size_t kHeaderSize = 6; // wLength, wValueLength, wType
constexpr std::size_t kKeySize = sizeof kVersionKey; // with its NUL

std::size_t aligned(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

std::mutex g_mutex;
std::optional<VS_FIXEDFILEINFO> g_programVersion;

// The VS_VERSIONINFO block of a fixed file information without children.
std::vector<BYTE> versionBlock(const VS_FIXEDFILEINFO& fixed)
{
    const std::size_t valueAt = aligned(kHeaderSize + kKeySize);
    std::vector<BYTE> block(valueAt + sizeof fixed, 0);
    const auto put = [&block](std::size_t at, WORD value) {
        block[at] = static_cast<BYTE>(value & 0xFF);
        block[at + 1] = static_cast<BYTE>(value >> 8);
    };
    put(0, static_cast<WORD>(block.size()));
    put(2, static_cast<WORD>(sizeof fixed));
    put(4, 0); // binary data
    for (std::size_t i = 0; i < kKeySize / 2; ++i)
        put(kHeaderSize + 2 * i, static_cast<WORD>(kVersionKey[i]));
    std::memcpy(block.data() + valueAt, &fixed, sizeof fixed);
    return block;
}

bool isRunningProgram(const char* fileName)
{
    std::error_code ec;
    return std::filesystem::equivalent(fileName, "/proc/self/exe", ec) && !ec;
}

// The version resource of a file, or the error of GetFileVersionInfoSizeA.
DWORD versionResource(const char* fileName, std::vector<BYTE>& block)
{
    if (!fileName || !*fileName)
        return ERROR_INVALID_PARAMETER;
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec))
        return ERROR_FILE_NOT_FOUND;
    std::optional<VS_FIXEDFILEINFO> version;
    {
        std::lock_guard lock(g_mutex);
        version = g_programVersion;
    }
    if (!version || !isRunningProgram(fileName))
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    block = versionBlock(*version);
    return ERROR_SUCCESS;
}

WORD wordAt(const BYTE* data, std::size_t at)
{
    return static_cast<WORD>(data[at] | (data[at + 1] << 8));
}

} // namespace

void SetProgramVersion(WORD major, WORD minor, WORD release, WORD build)
{
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = static_cast<DWORD>(major) << 16 | minor;
    fixed.dwFileVersionLS = static_cast<DWORD>(release) << 16 | build;
    fixed.dwProductVersionMS = fixed.dwFileVersionMS;
    fixed.dwProductVersionLS = fixed.dwFileVersionLS;
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileOS = 0x00040004; // VOS_NT_WINDOWS32
    fixed.dwFileType = 1;        // VFT_APP
    std::lock_guard lock(g_mutex);
    g_programVersion = fixed;
}

void ClearProgramVersion()
{
    std::lock_guard lock(g_mutex);
    g_programVersion.reset();
}

} // namespace platform

using namespace platform;

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle)
{
    if (handle)
        *handle = 0;
    std::vector<BYTE> block;
    if (const DWORD code = versionResource(fileName, block)) {
        SetLastError(code);
        return 0;
    }
    return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data)
{
    std::vector<BYTE> block;
    if (const DWORD code = versionResource(fileName, block)) {
        SetLastError(code);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(data, block.data(), std::min<std::size_t>(size, block.size()));
    if (size < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length)
{
    if (!block || !subBlock || !buffer || !length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (std::strcmp(subBlock, "\\") != 0) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    const auto* data = static_cast<const BYTE*>(block);
    const std::size_t total = wordAt(data, 0);
    const std::size_t valueLength = wordAt(data, 2);
    const std::size_t valueAt = aligned(kHeaderSize + kKeySize);
    if (total < kHeaderSize + kKeySize || valueLength != sizeof(VS_FIXEDFILEINFO) || valueAt + valueLength > total ||
        std::memcmp(data + kHeaderSize, kVersionKey, kKeySize) != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, data + valueAt, sizeof fixed);
    if (fixed.dwSignature != VS_FFI_SIGNATURE) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *buffer = const_cast<BYTE*>(data + valueAt);
    *length = static_cast<UINT>(valueLength);
    return TRUE;
}
