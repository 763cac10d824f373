#include "AccountTable.h"

#include "AsciiText.h"
#include "FileIo.h"
#include "Sids.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace platform {
namespace {

constexpr std::pair<SID_NAME_USE, std::string_view> kKinds[] = {
    {SidTypeUser, "User"},
    {SidTypeGroup, "Group"},
    {SidTypeDomain, "Domain"},
    {SidTypeAlias, "Alias"},
    {SidTypeWellKnownGroup, "WellKnownGroup"},
    {SidTypeDeletedAccount, "DeletedAccount"},
    {SidTypeComputer, "Computer"},
};

std::string_view nextField(std::string_view& rest)
{
    rest = TrimmedBlanks(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    std::string_view field = rest.substr(0, end);
    rest.remove_prefix(end);
    return field;
}

bool hasControlCharacter(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// Checks a domain or account name; an empty text on success, else why not.
std::string checkName(std::string_view value, const char* what)
{
    if (hasControlCharacter(value))
        return std::string(what) + " holds a control character";
    if (utf8::CodePointCount(value) > AccountTable::kMaxNameLength)
        return std::string(what) + " is longer than " + std::to_string(AccountTable::kMaxNameLength) +
               " characters";
    return {};
}

constexpr const char* kLineForm = "expected <SID> <kind> <domain>\\<name>";

// Reads one line that is not a comment into `entry`; an empty text on
// success, else what is wrong with it.
std::string parseLine(std::string_view line, AccountEntry& entry)
{
    if (!utf8::IsValid(line))
        return "not valid UTF-8";
    std::string_view rest = line;
    const std::string_view sidText = nextField(rest);
    const std::string_view kindText = nextField(rest);
    const std::string_view account = TrimmedBlanks(rest);
    if (kindText.empty() || account.empty())
        return kLineForm;

    std::string reason;
    if (!ParseSidText(sidText, entry.sid, reason))
        return "\"" + std::string(sidText) + "\" is not a security identifier: " + reason;

    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                   [&](const auto& k) { return EqualsNoCase(k.second, kindText); });
    if (kind == std::end(kKinds))
        return "unknown kind \"" + std::string(kindText) +
               "\" (User, Group, Domain, Alias, WellKnownGroup, DeletedAccount or Computer)";
    entry.use = kind->first;

    const std::size_t backslash = account.find('\\');
    if (backslash == std::string_view::npos)
        return std::string(kLineForm) + ": \"" + std::string(account) + "\" has no backslash";
    if (account.find('\\', backslash + 1) != std::string_view::npos)
        return "\"" + std::string(account) + "\" has more than one backslash";
    const std::string_view domain = TrimmedBlanks(account.substr(0, backslash));
    const std::string_view name = TrimmedBlanks(account.substr(backslash + 1));
    if (name.empty())
        return "the account name is empty";
    if (std::string why = checkName(domain, "the domain name"); !why.empty())
        return why;
    if (std::string why = checkName(name, "the account name"); !why.empty())
        return why;
    entry.domain = domain;
    entry.name = name;
    return {};
}

} // namespace

std::string_view AccountKindName(SID_NAME_USE use)
{
    for (const auto& [kind, name] : kKinds)
        if (kind == use)
            return name;
    return {};
}

bool AccountTable::Parse(std::string_view text, std::string& error)
{
    if (text.size() > kMaxFileSize) {
        error = "larger than " + std::to_string(kMaxFileSize / (1024 * 1024)) + " MiB";
        return false;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    Accounts accounts;
    std::map<std::vector<BYTE>, std::size_t> lineOf;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(number) + ": " + what;
            return false;
        };
        if (line.size() > kMaxLineLength)
            return fail("longer than " + std::to_string(kMaxLineLength) + " bytes");
        const std::string_view content = TrimmedBlanks(line);
        if (content.empty() || content.front() == '#')
            continue;
        AccountEntry entry;
        if (std::string why = parseLine(content, entry); !why.empty())
            return fail(why);
        auto [at, added] = lineOf.emplace(entry.sid, number);
        if (!added)
            return fail(SidText(entry.sid.data()) + " is listed already on line " + std::to_string(at->second));
        accounts.emplace(entry.sid, std::move(entry));
    }
    accounts_ = std::move(accounts);
    return true;
}

bool AccountTable::Load(const std::string& hostPath, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(hostPath, ec);
    if (status.type() == fs::file_type::not_found) {
        accounts_.clear();
        return true;
    }
    if (ec || status.type() != fs::file_type::regular) {
        error = hostPath + ": not a readable file";
        return false;
    }
    const auto size = fs::file_size(hostPath, ec);
    if (ec || size > kMaxFileSize) {
        error = hostPath + (ec ? ": cannot be read" : ": larger than 16 MiB");
        return false;
    }
    std::string text;
    if (!ReadFileText(hostPath, static_cast<std::size_t>(size), text)) {
        error = hostPath + ": cannot be read";
        return false;
    }
    if (!Parse(text, error)) {
        error = hostPath + ": " + error;
        return false;
    }
    return true;
}

const AccountEntry* AccountTable::Find(PSID sid) const
{
    const auto* bytes = static_cast<const BYTE*>(sid);
    const auto it = accounts_.find(std::span<const BYTE>(bytes, 8 + 4 * std::size_t{bytes[1]}));
    return it == accounts_.end() ? nullptr : &it->second;
}

} // namespace platform
