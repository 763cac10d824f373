#include "Sids.h"

#include "ErrorCodes.h"
#include "Kernel32.h"

#include <bit>
#include <charconv>
#include <cstring>

// Sub-authorities are handed out as DWORD pointers into the byte layout,
// whose order is least significant byte first.
static_assert(std::endian::native == std::endian::little);

namespace platform {
namespace {

constexpr std::size_t kHeaderSize = 8;

const BYTE* bytesOf(PSID sid)
{
    return static_cast<const BYTE*>(sid);
}

std::uint64_t authorityValue(const BYTE* sid)
{
    std::uint64_t value = 0;
    for (int i = 2; i < 8; ++i)
        value = (value << 8) | sid[i];
    return value;
}

std::string authorityText(std::uint64_t value)
{
    if (value <= 0xFFFFFFFFu)
        return std::to_string(value);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 44; shift >= 0; shift -= 4)
        text += kHex[(value >> shift) & 0xF];
    return text;
}

// A run of decimal or hexadecimal digits that makes up one whole field.
bool parseNumber(std::string_view field, int base, std::uint64_t limit, std::uint64_t& value)
{
    if (field.empty())
        return false;
    const char* end = field.data() + field.size();
    auto [next, error] = std::from_chars(field.data(), end, value, base);
    return error == std::errc() && next == end && value <= limit;
}

} // namespace

DWORD GetLengthSid(PSID sid)
{
    if (!sid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<DWORD>(kHeaderSize + 4 * bytesOf(sid)[1]);
}

BOOL IsValidSid(PSID sid)
{
    if (!sid || bytesOf(sid)[0] != SID_REVISION || bytesOf(sid)[1] > SID_MAX_SUB_AUTHORITIES) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    return TRUE;
}

BOOL EqualSid(PSID sid1, PSID sid2)
{
    if (!IsValidSid(sid1) || !IsValidSid(sid2))
        return FALSE;
    const DWORD length = GetLengthSid(sid1);
    const bool equal = length == GetLengthSid(sid2) && std::memcmp(sid1, sid2, length) == 0;
    SetLastError(ERROR_SUCCESS);
    return equal ? TRUE : FALSE;
}

SID_IDENTIFIER_AUTHORITY* GetSidIdentifierAuthority(PSID sid)
{
    if (!IsValidSid(sid))
        return nullptr;
    return reinterpret_cast<SID_IDENTIFIER_AUTHORITY*>(static_cast<BYTE*>(sid) + 2);
}

BYTE* GetSidSubAuthorityCount(PSID sid)
{
    if (!IsValidSid(sid))
        return nullptr;
    return static_cast<BYTE*>(sid) + 1;
}

DWORD* GetSidSubAuthority(PSID sid, DWORD subAuthority)
{
    if (!IsValidSid(sid))
        return nullptr;
    if (subAuthority >= bytesOf(sid)[1]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<DWORD*>(static_cast<BYTE*>(sid) + kHeaderSize + 4 * subAuthority);
}

BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid)
{
    if (!stringSid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *stringSid = nullptr;
    if (!IsValidSid(sid))
        return FALSE;
    const std::string text = SidText(sid);
    auto* wide = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
    if (!wide)
        return FALSE;
    // The text form is plain ASCII.
    for (std::size_t i = 0; i < text.size(); ++i)
        wide[i] = static_cast<WCHAR>(text[i]);
    wide[text.size()] = u'\0';
    *stringSid = wide;
    return TRUE;
}

std::string SidText(PSID sid)
{
    const BYTE* bytes = bytesOf(sid);
    std::string text = "S-" + std::to_string(bytes[0]) + "-" + authorityText(authorityValue(bytes));
    for (BYTE i = 0; i < bytes[1]; ++i) {
        DWORD value;
        std::memcpy(&value, bytes + kHeaderSize + 4 * i, sizeof value);
        text += "-" + std::to_string(value);
    }
    return text;
}

bool ParseSidText(std::string_view text, std::vector<BYTE>& sid, std::string& reason)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t dash = text.find('-', start);
        fields.push_back(text.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start));
        if (dash == std::string_view::npos)
            break;
        start = dash + 1;
    }
    if (fields.size() < 3 || (fields[0] != "S" && fields[0] != "s")) {
        reason = "not of the form S-1-<authority>-<sub-authority>...";
        return false;
    }
    if (fields[1] != "1") {
        reason = "revision is not 1";
        return false;
    }
    if (fields.size() - 3 > SID_MAX_SUB_AUTHORITIES) {
        reason = "more than 15 sub-authorities";
        return false;
    }
    std::uint64_t authority = 0;
    const std::string_view a = fields[2];
    const bool hex = a.size() > 2 && a[0] == '0' && (a[1] == 'x' || a[1] == 'X');
    if (hex ? a.size() > 14 || !parseNumber(a.substr(2), 16, 0xFFFFFFFFFFFFu, authority)
            : !parseNumber(a, 10, 0xFFFFFFFFFFFFu, authority)) {
        reason = "identifier authority \"" + std::string(a) + "\" is not a number below 2^48";
        return false;
    }
    std::vector<BYTE> bytes(kHeaderSize + 4 * (fields.size() - 3));
    bytes[0] = SID_REVISION;
    bytes[1] = static_cast<BYTE>(fields.size() - 3);
    for (int i = 0; i < 6; ++i)
        bytes[2 + i] = static_cast<BYTE>(authority >> (8 * (5 - i)));
    for (std::size_t i = 3; i < fields.size(); ++i) {
        std::uint64_t value = 0;
        if (!parseNumber(fields[i], 10, 0xFFFFFFFFu, value)) {
            reason = "sub-authority \"" + std::string(fields[i]) + "\" is not a number below 2^32";
            return false;
        }
        const auto dword = static_cast<DWORD>(value);
        std::memcpy(bytes.data() + kHeaderSize + 4 * (i - 3), &dword, sizeof dword);
    }
    sid = std::move(bytes);
    return true;
}

} // namespace platform
