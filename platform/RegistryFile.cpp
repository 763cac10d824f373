#include "RegistryFile.h"

#include "AsciiText.h"
#include "ErrorCodes.h"
#include "FileIo.h"
#include "RegistryTypes.h"
#include "Utf8Text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

// A fault of the file, with the line it was found on (0: the file as a whole).
struct ParseFailure {
    std::size_t line;
    std::string message;
};

// At most 8 hex digits, nothing else.
bool parseHexNumber(std::string_view s, DWORD& value)
{
    if (s.empty() || s.size() > 8)
        return false;
    value = 0;
    for (char c : s) {
        const int d = HexDigitValue(c);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return true;
}

std::string excerpt(std::string_view s)
{
    constexpr std::size_t kMax = 40;
    return s.size() <= kMax ? std::string(s) : std::string(s.substr(0, kMax)) + "...";
}

// --- decoding the file's bytes into UTF-8 text ---

std::size_t lineOfUnit(std::u16string_view text, std::size_t index)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < index && i < text.size(); ++i)
        if (text[i] == u'\n')
            ++line;
    return line;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian)
{
    if (bytes.size() % 2 != 0)
        throw ParseFailure{0, "the file ends in the middle of a UTF-16 character"};
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        units[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            throw ParseFailure{lineOfUnit(units, i), "the UTF-16 text holds an unpaired surrogate"};
        }
    }
    return utf8::FromUtf16(units);
}

std::string decodeText(std::string_view bytes)
{
    if (bytes.size() > kMaxRegistryFileSize)
        throw ParseFailure{0, "the file is larger than 64 MiB"};
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return decodeUtf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return decodeUtf16(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!utf8::IsValid(bytes)) {
        std::size_t line = 1;
        std::size_t start = 0;
        while (start <= bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string_view::npos)
                end = bytes.size();
            if (!utf8::IsValid(bytes.substr(start, end - start)))
                break;
            start = end + 1;
            ++line;
        }
        throw ParseFailure{line, "the text is neither UTF-8 nor UTF-16 with a byte-order mark"};
    }
    return std::string(bytes);
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// --- the parser ---

class Parser {
public:
    Parser(std::vector<std::string_view> lines, std::string_view rootName, RegistryKey& result)
        : lines_(std::move(lines))
        , rootName_(rootName)
        , result_(result)
    {
    }

    void Run()
    {
        while (index_ < lines_.size() && TrimmedBlanks(lines_[index_]).empty())
            ++index_;
        if (index_ == lines_.size())
            throw ParseFailure{0, "the file is empty; a registry file starts with \"" + std::string(kHeader5) + "\""};
        const std::string_view header = TrimmedBlanks(lines_[index_]);
        if (header == kHeader5)
            unicodeHex_ = true;
        else if (header == kHeader4)
            unicodeHex_ = false;
        else
            fail("not a registry file: the first line must be \"" + std::string(kHeader5) + "\" or \"" +
                 std::string(kHeader4) + "\"");
        for (++index_; index_ < lines_.size(); ++index_) {
            const std::string_view line = TrimmedBlanks(lines_[index_]);
            if (line.find('\0') != std::string_view::npos)
                fail("the line holds a NUL character");
            if (line.empty() || line.front() == ';')
                continue;
            if (line.front() == '[')
                keyLine(line);
            else if (line.front() == '"' || line.front() == '@')
                valueLine(line);
            else
                fail("unexpected text \"" + excerpt(line) + "\"");
        }
    }

private:
    [[noreturn]] void fail(const std::string& message) const { throw ParseFailure{index_ + 1, message}; }

    bool isRootName(std::string_view name) const
    {
        const std::string upper = RegistryNameKey(name);
        if (upper == RegistryNameKey(rootName_))
            return true;
        const std::string root = RegistryNameKey(rootName_);
        return (root == "HKEY_LOCAL_MACHINE" && upper == "HKLM") || (root == "HKEY_CURRENT_USER" && upper == "HKCU") ||
               (root == "HKEY_USERS" && upper == "HKU") || (root == "HKEY_CLASSES_ROOT" && upper == "HKCR");
    }

    void keyLine(std::string_view line)
    {
        if (line.size() < 2 || line.back() != ']')
            fail("a key line must end with ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        const bool deleting = !path.empty() && path.front() == '-';
        if (deleting)
            path.remove_prefix(1);
        if (!path.empty() && path.back() == '\\')
            path.remove_suffix(1);
        std::vector<std::string_view> names;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = path.find('\\', start);
            names.push_back(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
        if (!isRootName(names.front()))
            fail("the key \"" + excerpt(path) + "\" does not lie below " + std::string(rootName_));
        if (names.size() - 1 > kMaxRegistryDepth)
            fail("the key lies more than 512 levels deep");
        for (std::size_t i = 1; i < names.size(); ++i) {
            if (names[i].empty())
                fail("the key \"" + excerpt(path) + "\" has an empty name in it");
            if (utf8::CodePointCount(names[i]) > kMaxRegistryKeyNameLength)
                fail("a key name is longer than 255 characters");
        }
        if (deleting) {
            if (names.size() == 1)
                fail("the root key cannot be deleted");
            RegistryKey* parent = &result_;
            for (std::size_t i = 1; parent && i + 1 < names.size(); ++i)
                parent = parent->FindSubKey(names[i]);
            if (parent)
                parent->DeleteSubKey(names.back());
            current_ = nullptr;
            inDeletedKey_ = true;
            return;
        }
        RegistryKey* key = &result_;
        for (std::size_t i = 1; i < names.size(); ++i)
            key = &key->CreateSubKey(names[i]);
        current_ = key;
        inDeletedKey_ = false;
    }

    // A quoted text with \\ and \" escapes; `s` starts at the opening quote
    // and is left after the closing one.
    std::string quoted(std::string_view& s, const char* what)
    {
        std::string text;
        std::size_t i = 1;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"')
                break;
            if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
                text += s[++i];
                continue;
            }
            text += c; // a lone backslash stays as it is
        }
        if (i >= s.size())
            fail(std::string(what) + " has no closing quote");
        s.remove_prefix(i + 1);
        return text;
    }

    void valueLine(std::string_view line)
    {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            name = quoted(line, "the value name");
            if (utf8::CodePointCount(name) > kMaxRegistryValueNameLength)
                fail("a value name is longer than 16383 characters");
        }
        line = TrimmedBlanks(line);
        if (line.empty() || line.front() != '=')
            fail("'=' expected after the value name");
        line = TrimmedBlanks(line.substr(1));

        bool remove = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (line == "-") {
            remove = true;
        } else if (!line.empty() && line.front() == '"') {
            const std::string text = quoted(line, "the text value");
            if (!TrimmedBlanks(line).empty())
                fail("unexpected text after the closing quote: \"" + excerpt(line) + "\"");
            type = REG_SZ;
            data.assign(text.begin(), text.end());
            data.push_back(0);
        } else if (StartsWithNoCase(line, "dword:")) {
            DWORD value = 0;
            if (!parseHexNumber(TrimmedBlanks(line.substr(6)), value))
                fail("dword: must be followed by 1 to 8 hex digits");
            type = REG_DWORD;
            data = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                    static_cast<BYTE>(value >> 24)};
        } else if (StartsWithNoCase(line, "hex:")) {
            type = REG_BINARY;
            data = hexList(line.substr(4));
        } else if (StartsWithNoCase(line, "hex(")) {
            const std::size_t close = line.find(')');
            if (close == std::string_view::npos || !parseHexNumber(line.substr(4, close - 4), type) ||
                close + 1 >= line.size() || line[close + 1] != ':')
                fail("hex( must be followed by a type of 1 to 8 hex digits and \"):\"");
            data = hexList(line.substr(close + 2));
            if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
                data = textData(data);
        } else if (line.empty()) {
            fail("the value has no data after '='");
        } else {
            fail("unknown kind of value data \"" + excerpt(line) + "\"");
        }

        if (!current_) {
            if (inDeletedKey_)
                return; // values of a deleted key are ignored
            fail("a value before the first key");
        }
        if (remove)
            current_->DeleteValue(name);
        else
            current_->SetValue(name, type, std::move(data));
    }

    // Comma-separated bytes, continued on the next lines after a trailing
    // backslash.
    std::vector<BYTE> hexList(std::string_view rest)
    {
        std::vector<BYTE> bytes;
        while (true) {
            std::string_view chunk = TrimmedBlanks(rest);
            const bool continued = !chunk.empty() && chunk.back() == '\\';
            if (continued)
                chunk.remove_suffix(1);
            std::size_t start = 0;
            while (start < chunk.size()) {
                std::size_t end = chunk.find(',', start);
                const bool last = end == std::string_view::npos;
                if (last)
                    end = chunk.size();
                const std::string_view token = TrimmedBlanks(chunk.substr(start, end - start));
                if (token.empty()) {
                    if (!last) // only the end may follow a comma
                        fail("an empty entry in a hex list");
                } else {
                    DWORD value = 0;
                    if (token.size() > 2 || !parseHexNumber(token, value))
                        fail("\"" + excerpt(token) + "\" is not a hex byte");
                    bytes.push_back(static_cast<BYTE>(value));
                }
                start = end + 1;
            }
            if (!continued)
                break;
            if (++index_ >= lines_.size()) {
                index_ = lines_.size() - 1;
                fail("the file ends inside a hex list");
            }
            rest = lines_[index_];
            if (rest.find('\0') != std::string_view::npos)
                fail("the line holds a NUL character");
        }
        return bytes;
    }

    // The bytes of a hex(1), hex(2) or hex(7) value as UTF-8 text.
    std::vector<BYTE> textData(const std::vector<BYTE>& bytes) const
    {
        std::string text;
        if (unicodeHex_) {
            std::u16string units((bytes.size() + 1) / 2, u'\0');
            for (std::size_t i = 0; i < bytes.size(); ++i)
                units[i / 2] = static_cast<char16_t>(units[i / 2] | (bytes[i] << (i % 2 ? 8 : 0)));
            text = utf8::FromUtf16(units);
        } else {
            text = utf8::Sanitized(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        }
        return std::vector<BYTE>(text.begin(), text.end());
    }

    std::vector<std::string_view> lines_;
    std::string_view rootName_;
    RegistryKey& result_;
    std::size_t index_ = 0;
    bool unicodeHex_ = true;
    RegistryKey* current_ = nullptr;
    bool inDeletedKey_ = false;
};

// --- the writer ---

constexpr std::size_t kHexLineWidth = 76;

std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// REG_SZ data that can be written as a quoted text: UTF-8 ending in its
// one NUL, without line breaks.
bool isPlainText(const std::vector<BYTE>& data)
{
    if (data.empty() || data.back() != 0)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos && utf8::IsValid(text);
}

std::vector<BYTE> utf16Bytes(const std::vector<BYTE>& data)
{
    const std::u16string units =
        utf8::ToUtf16(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    std::vector<BYTE> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<BYTE>(u & 0xFF));
        bytes.push_back(static_cast<BYTE>(u >> 8));
    }
    return bytes;
}

void appendHex(std::string& out, std::string line, const std::vector<BYTE>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string piece{digits[bytes[i] >> 4], digits[bytes[i] & 0xF]};
        if (i + 1 < bytes.size())
            piece += ',';
        if (line.size() + piece.size() > kHexLineWidth && i > 0) {
            out += line;
            out += "\\\r\n";
            line = "  ";
        }
        line += piece;
    }
    out += line;
    out += "\r\n";
}

void appendValue(std::string& out, const RegistryValue& value)
{
    const std::string name = value.name.empty() ? std::string("@") : "\"" + escaped(value.name) + "\"";
    switch (value.type) {
    case REG_SZ:
        if (isPlainText(value.data)) {
            out += name + "=\"" +
                   escaped(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1)) +
                   "\"\r\n";
            return;
        }
        appendHex(out, name + "=hex(1):", utf16Bytes(value.data));
        return;
    case REG_EXPAND_SZ:
        appendHex(out, name + "=hex(2):", utf16Bytes(value.data));
        return;
    case REG_MULTI_SZ:
        appendHex(out, name + "=hex(7):", utf16Bytes(value.data));
        return;
    case REG_DWORD:
        if (value.data.size() == 4) {
            char text[9];
            const DWORD v = static_cast<DWORD>(value.data[0]) | static_cast<DWORD>(value.data[1]) << 8 |
                            static_cast<DWORD>(value.data[2]) << 16 | static_cast<DWORD>(value.data[3]) << 24;
            std::snprintf(text, sizeof text, "%08x", v);
            out += name + "=dword:" + text + "\r\n";
            return;
        }
        break;
    case REG_BINARY:
        appendHex(out, name + "=hex:", value.data);
        return;
    default:
        break;
    }
    char type[16];
    std::snprintf(type, sizeof type, "%x", value.type);
    appendHex(out, name + "=hex(" + type + "):", value.data);
}

void appendKey(std::string& out, const RegistryKey& key, const std::string& path, bool isRoot)
{
    if (!isRoot || key.ValueCount() > 0) {
        out += "[" + path + "]\r\n";
        for (std::size_t i = 0; i < key.ValueCount(); ++i)
            appendValue(out, key.ValueAt(i));
        out += "\r\n";
    }
    for (std::size_t i = 0; i < key.SubKeyCount(); ++i) {
        const RegistryKey& sub = key.SubKeyAt(i);
        appendKey(out, sub, path + "\\" + sub.Name(), false);
    }
}

FILETIME fileTimeOf(const FileStamp& stamp)
{
    const std::int64_t seconds = stamp.modifiedSeconds + 11644473600LL;
    const std::uint64_t ticks = seconds < 0 ? 0
                                            : static_cast<std::uint64_t>(seconds) * 10000000ULL +
                                                  static_cast<std::uint64_t>(stamp.modifiedNanoseconds) / 100;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

bool ParseRegistryFile(std::string_view bytes, std::string_view rootName, RegistryKey& root, std::string& error)
{
    try {
        const std::string text = decodeText(bytes);
        RegistryKey result(root.Name());
        Parser parser(splitLines(text), rootName, result);
        parser.Run();
        root = std::move(result);
        return true;
    } catch (const ParseFailure& failure) {
        error = failure.line ? "line " + std::to_string(failure.line) + ": " + failure.message : failure.message;
        return false;
    }
}

std::string FormatRegistryFile(const RegistryKey& root, std::string_view rootName, RegistryFileEncoding encoding)
{
    std::string text = std::string(kHeader5) + "\r\n\r\n";
    appendKey(text, root, std::string(rootName), true);
    if (encoding == RegistryFileEncoding::Utf8)
        return text;
    const std::u16string units = utf8::ToUtf16(text);
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + units.size() * 2);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

RegistryFileStatus ReadRegistryFile(const std::string& path, std::string_view rootName, RegistryKey& root,
                                    std::string& error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return RegistryFileStatus::Missing;
        error = path + ": " + std::strerror(errno);
        return RegistryFileStatus::Damaged;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a file";
        return RegistryFileStatus::Damaged;
    }
    // The size, the stamp and the bytes all come from one open file, which
    // a writer replacing the file meanwhile leaves as it is.
    FileDescriptor file;
    std::uint64_t size = 0;
    std::string why;
    if (const DWORD opened = file.openForReading(path, size, why); opened != ERROR_SUCCESS) {
        if (opened == ERROR_FILE_NOT_FOUND)
            return RegistryFileStatus::Missing; // removed since the stat
        error = why;
        return RegistryFileStatus::Damaged;
    }
    FileStamp read;
    if (file.stamp(read) != ERROR_SUCCESS) {
        error = path + ": the file cannot be read";
        return RegistryFileStatus::Damaged;
    }
    if (size > kMaxRegistryFileSize) {
        error = path + ": the file is larger than 64 MiB";
        return RegistryFileStatus::Damaged;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    if (file.readAt(0, reinterpret_cast<BYTE*>(bytes.data()), bytes.size(), done) != ERROR_SUCCESS ||
        done != bytes.size()) {
        error = path + ": the file cannot be read";
        return RegistryFileStatus::Damaged;
    }
    RegistryKey parsed(root.Name());
    std::string parseError;
    if (!ParseRegistryFile(bytes, rootName, parsed, parseError)) {
        error = path + ": " + parseError;
        return RegistryFileStatus::Damaged;
    }
    parsed.SetLastWriteTimeRecursive(fileTimeOf(read));
    root = std::move(parsed);
    return RegistryFileStatus::Loaded;
}

bool WriteRegistryFile(const std::string& path, const RegistryKey& root, std::string_view rootName,
                       std::string& error, RegistryFileEncoding encoding, FileStamp* stamp)
{
    const std::string bytes = FormatRegistryFile(root, rootName, encoding);
    // A file that is a symbolic link is written through to the link's
    // target, beside which the temporary file lies; the link stays.
    std::string file;
    int linkError = 0;
    if (!FinalLinkTarget(path, file, linkError)) {
        error = path + ": cannot follow the link: " + std::strerror(linkError);
        return false;
    }
    const fs::path target(file);
    std::error_code ec;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    if (ec) {
        error = path + ": cannot create its directory: " + ec.message();
        return false;
    }
    std::string temporary = SiblingPath(file, ".tmp-XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = path + ": cannot create a temporary file: " + std::strerror(errno);
        return false;
    }
    struct stat old {};
    if (::stat(file.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    const auto failWith = [&](const std::string& what) {
        error = path + ": " + what + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    };
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failWith("cannot write");
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return failWith("cannot flush");
    // A rename keeps the file's inode and modification time: the stamp
    // taken now is that of the file once it has replaced the old one.
    struct stat replacement {};
    if (stamp && ::fstat(fd, &replacement) != 0)
        return failWith("cannot read its status");
    if (::close(fd) != 0) {
        error = path + ": cannot close: " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        error = path + ": cannot replace the file: " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    const std::string directory = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    if (stamp)
        *stamp = FileStampOf(replacement);
    return true;
}

} // namespace platform
