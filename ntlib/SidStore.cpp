#include "SidStore.h"

#include "AdvApi32.h"
#include "FunctionBinding.h"

#include "platform/ErrorCodes.h"
#include "platform/Kernel32.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The 128-character buffers of the first try; a longer name or domain is
// asked for again with the size the platform needs, up to this bound.
constexpr std::size_t kFirstBufferSize = 128;
constexpr std::size_t kLargestBufferSize = 32 * 1024;

constexpr BYTE kLocalSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

// The platform's functions take SIDs as plain pointers and leave them as
// they are.
PSID asPsid(const BYTE* sid)
{
    return const_cast<BYTE*>(sid);
}

// True when the block holds the header and every sub-authority it counts.
bool blockHoldsSid(const BYTE* sid, std::size_t size)
{
    return sid && size >= 8 && GetLengthSid(asPsid(sid)) <= size;
}

std::string upperCaseAccount(const TSidHolder& holder)
{
    return QString::fromStdString(holder.Domain()).toUpper().toStdString() + "\\" +
           QString::fromStdString(holder.Name()).toUpper().toStdString();
}

std::string authorityText(const SID_IDENTIFIER_AUTHORITY& authority)
{
    std::uint64_t value = 0;
    for (BYTE b : authority.Value)
        value = (value << 8) | b;
    if (value <= 0xFFFFFFFFu)
        return std::to_string(value);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 44; shift >= 0; shift -= 4)
        text += kHex[(value >> shift) & 0xF];
    return text;
}

struct LocalMemoryRelease {
    void operator()(WCHAR* text) const { LocalFree(text); }
};

std::string textOf(const std::vector<char>& buffer)
{
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

} // namespace

void TSidHolder::SetData(const BYTE* sid, std::int32_t length, const std::string& domain, const std::string& name)
{
    sid_.clear();
    if (sid && length > 0)
        sid_.assign(sid, sid + length);
    domain_ = domain;
    name_ = name;
}

int CompareSids(const TSidHolder* entry, const TSidHolder* key)
{
    if (entry->SidLength() != key->SidLength())
        return entry->SidLength() < key->SidLength() ? -1 : 1;
    if (entry->SidLength() == 0)
        return 0;
    const int c = std::memcmp(entry->Sid(), key->Sid(), static_cast<std::size_t>(entry->SidLength()));
    return (c > 0) - (c < 0);
}

int CompareAccountNames(const TSidHolder* entry, const TSidHolder* key)
{
    const int c = upperCaseAccount(*entry).compare(upperCaseAccount(*key));
    return (c > 0) - (c < 0);
}

void TSidStore::Add(const BYTE* sid, std::int32_t length, const std::string& domain, const std::string& name)
{
    auto holder = std::make_unique<TSidHolder>();
    holder->SetData(sid, length, domain, name);
    TSidHolder* entry = holder.get();
    bySid_.AddSorted(std::move(holder), CompareSids);
    byAccount_.AddSorted(entry, CompareAccountNames);
}

bool TSidStore::Find(const BYTE* sid, std::int32_t length, std::string& domain, std::string& name)
{
    domain.clear();
    name.clear();
    searchKey_.SetData(sid, length, {}, {});
    int index = 0;
    if (!bySid_.Find(&searchKey_, CompareSids, index))
        return false;
    const TSidHolder* entry = bySid_.Items(index);
    domain = entry->Domain();
    name = entry->Name();
    return true;
}

TSidStore& SidStore()
{
    static TSidStore store;
    return store;
}

bool LookupAccountBySid(const std::string& computer, const BYTE* sid, std::size_t sidSize, std::string& name,
                        std::string& domain)
{
    return LookupAccountBySid(SidStore(), computer, sid, sidSize, name, domain);
}

bool LookupAccountBySid(TSidStore& store, const std::string& computer, const BYTE* sid, std::size_t sidSize,
                        std::string& name, std::string& domain)
{
    return LookupAccountOfSid(store, computer, sid, sidSize, name, domain) != TAccountAnswer::Failed;
}

TAccountAnswer LookupAccountOfSid(TSidStore& store, const std::string& computer, const BYTE* sid, std::size_t sidSize,
                                  std::string& name, std::string& domain)
{
    name.clear();
    domain.clear();
    if (!blockHoldsSid(sid, sidSize)) {
        SetLastError(ERROR_INVALID_SID);
        return TAccountAnswer::Failed;
    }
    const auto length = static_cast<std::int32_t>(GetLengthSid(asPsid(sid)));
    if (store.Find(sid, length, domain, name))
        return TAccountAnswer::Found;

    std::vector<char> nameBuffer(kFirstBufferSize);
    std::vector<char> domainBuffer(kFirstBufferSize);
    SID_NAME_USE use{};
    for (;;) {
        auto nameSize = static_cast<DWORD>(nameBuffer.size());
        auto domainSize = static_cast<DWORD>(domainBuffer.size());
        if (LookupAccountSidA(computer.empty() ? nullptr : computer.c_str(), asPsid(sid), nameBuffer.data(), &nameSize,
                              domainBuffer.data(), &domainSize, &use))
            break;
        const DWORD code = GetLastError();
        // A name or domain too long for the buffers: once more with the
        // sizes the platform asks for.
        const bool grows = nameSize > nameBuffer.size() || domainSize > domainBuffer.size();
        if (code == ERROR_INSUFFICIENT_BUFFER && grows && nameSize <= kLargestBufferSize &&
            domainSize <= kLargestBufferSize) {
            nameBuffer.resize(std::max<std::size_t>(nameBuffer.size(), nameSize));
            domainBuffer.resize(std::max<std::size_t>(domainBuffer.size(), domainSize));
            continue;
        }
        if (code == ERROR_NONE_MAPPED) {
            SidToString(sid, sidSize, name);
            return TAccountAnswer::NotMapped;
        }
        SetLastError(code);
        return TAccountAnswer::Failed;
    }

    name = textOf(nameBuffer);
    domain = textOf(domainBuffer);
    SetLastError(0);
    if (EqualSid(asPsid(sid), asPsid(kLocalSystemSid)))
        domain.clear();
    store.Add(sid, length, domain, name);
    return TAccountAnswer::Found;
}

bool SidToString(const BYTE* sid, std::size_t sidSize, std::string& text)
{
    text.clear();
    if (!blockHoldsSid(sid, sidSize)) {
        SetLastError(ERROR_INVALID_SID);
        return false;
    }
    if (IsWin2000()) {
        LPWSTR wide = nullptr;
        const BOOL converted = ConvertSidToStringSidW(asPsid(sid), &wide);
        const std::unique_ptr<WCHAR, LocalMemoryRelease> held(wide);
        if (converted && wide)
            text = QString::fromUtf16(wide).toStdString();
        return converted != FALSE;
    }

    if (!IsValidSid(asPsid(sid)))
        return false;
    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(asPsid(sid));
    const BYTE* count = GetSidSubAuthorityCount(asPsid(sid));
    if (!authority || !count)
        return false;
    std::string result = "S-" + std::to_string(sid[0]) + "-" + authorityText(*authority);
    for (DWORD i = 0; i < *count; ++i) {
        const DWORD* at = GetSidSubAuthority(asPsid(sid), i);
        if (!at)
            return false;
        DWORD value;
        std::memcpy(&value, at, sizeof value);
        result += "-" + std::to_string(value);
    }
    text = std::move(result);
    return true;
}
