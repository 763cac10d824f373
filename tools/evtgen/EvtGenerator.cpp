#include "EvtGenerator.h"

#include "BulkEvents.h"

#include "platform/AsciiText.h"
#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/FileIo.h"
#include "platform/Utf8Text.h"

#include <charconv>
#include <memory>
#include <optional>

namespace evtgen {
namespace {

using platform::evt::EvtLogImage;
using platform::evt::EvtRecord;

struct Field {
    std::string name;
    std::string value;
    bool quoted = false;
};

struct Line {
    std::string directive;
    std::vector<Field> fields;
};

bool tokenize(std::string_view text, Line& line, std::string& error)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r'))
            ++i;
    };
    skipBlanks();
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '#')
        line.directive += text[i++];
    for (;;) {
        skipBlanks();
        if (i >= text.size() || text[i] == '#')
            return true;
        Field f;
        while (i < text.size() && text[i] != '=' && text[i] != ' ' && text[i] != '\t')
            f.name += text[i++];
        if (i >= text.size() || text[i] != '=') {
            error = "expected name=value, found \"" + f.name + "\"";
            return false;
        }
        ++i;
        if (i < text.size() && text[i] == '"') {
            f.quoted = true;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    error = "unterminated quoted text in " + f.name;
                    return false;
                }
                const char c = text[i++];
                if (c == '"')
                    break;
                if (c != '\\') {
                    f.value += c;
                    continue;
                }
                if (i >= text.size()) {
                    error = "unterminated escape in " + f.name;
                    return false;
                }
                const char e = text[i++];
                switch (e) {
                case '"':
                case '\\':
                    f.value += e;
                    break;
                case 'n':
                    f.value += '\n';
                    break;
                case 'r':
                    f.value += '\r';
                    break;
                case 't':
                    f.value += '\t';
                    break;
                case 'u': {
                    if (i >= text.size() || text[i] != '{') {
                        error = "\\u needs {hex digits} in " + f.name;
                        return false;
                    }
                    ++i;
                    char32_t cp = 0;
                    int digits = 0;
                    while (i < text.size() && text[i] != '}' && platform::HexDigitValue(text[i]) >= 0 && digits < 6) {
                        cp = cp * 16 + static_cast<char32_t>(platform::HexDigitValue(text[i++]));
                        ++digits;
                    }
                    if (i >= text.size() || text[i] != '}' || digits == 0 || cp == 0 || cp > 0x10FFFF ||
                        (cp >= 0xD800 && cp <= 0xDFFF)) {
                        error = "bad \\u{...} escape in " + f.name;
                        return false;
                    }
                    ++i;
                    platform::utf8::AppendCodePoint(f.value, cp);
                    break;
                }
                default:
                    error = std::string("unknown escape \\") + e + " in " + f.name;
                    return false;
                }
            }
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '#')
                f.value += text[i++];
        }
        line.fields.push_back(std::move(f));
    }
}

bool parseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value)
{
    std::string_view t = text;
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t.remove_prefix(2);
        base = 16;
    }
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty() || v > limit)
        return false;
    value = v;
    return true;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Settings {
    DWORD maxSize = platform::evt::kSizeStep;
    DWORD retention = 0;
    bool backupForm = false;
    std::optional<std::size_t> dirtyAfter;
};

class Builder {
public:
    explicit Builder(bool keepEvents)
        : keepEvents_(keepEvents)
    {
    }

    bool run(std::string_view description, GeneratedLog& out, std::string& error);

private:
    bool directive(const Line& line, std::string& error);
    bool settingsLine(const Line& line, std::string& error);
    bool eventLine(const Line& line, std::string& error);
    bool bulkLine(const Line& line, std::string& error);
    bool append(const EvtRecord& record, DWORD minLength, std::string& error);
    EvtLogImage& image()
    {
        if (!image_)
            image_ = std::make_unique<EvtLogImage>(settings_.maxSize, settings_.retention);
        return *image_;
    }

    bool keepEvents_;
    Settings settings_;
    std::unique_ptr<EvtLogImage> image_;
    std::uint32_t clock_ = 1609459200; // 2021-01-01T00:00:00Z
    std::size_t written_ = 0;
    std::optional<platform::evt::FileHeader> staleHeader_;
    GeneratedLog* out_ = nullptr;
};

bool Builder::run(std::string_view description, GeneratedLog& out, std::string& error)
{
    out = GeneratedLog{};
    out_ = &out;
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at <= description.size()) {
        std::size_t end = description.find('\n', at);
        if (end == std::string_view::npos)
            end = description.size();
        ++lineNumber;
        Line line;
        std::string why;
        if (!tokenize(description.substr(at, end - at), line, why) || (!line.directive.empty() && !directive(line, why))) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
        at = end + 1;
    }
    EvtLogImage& log = image();
    if (settings_.dirtyAfter && !staleHeader_) {
        if (*settings_.dirtyAfter == 0) {
            staleHeader_ = EvtLogImage(settings_.maxSize, settings_.retention).header();
        } else {
            error = "dirty after=" + std::to_string(*settings_.dirtyAfter) + ": only " + std::to_string(written_) +
                    " events were written";
            return false;
        }
    }
    if (settings_.backupForm) {
        out.bytes = log.compactBytes();
    } else {
        out.bytes = log.bytes();
        if (staleHeader_) {
            platform::evt::FileHeader h = *staleHeader_;
            h.flags |= platform::evt::kFlagDirty;
            h.writeTo(out.bytes.data());
        }
    }
    out.overwritten = written_ - log.recordCount();
    return true;
}

bool Builder::directive(const Line& line, std::string& error)
{
    const std::string& d = line.directive;
    if (d == "log" || d == "form" || d == "dirty")
        return settingsLine(line, error);
    if (d == "clock") {
        if (line.fields.size() != 1 || line.fields[0].name != "time" || !ParseTime(line.fields[0].value, clock_)) {
            error = "clock wants time=YYYY-MM-DDTHH:MM:SSZ";
            return false;
        }
        return true;
    }
    if (d == "event")
        return eventLine(line, error);
    if (d == "bulk")
        return bulkLine(line, error);
    error = "unknown directive \"" + d + "\"";
    return false;
}

bool Builder::settingsLine(const Line& line, std::string& error)
{
    const std::string& d = line.directive;
    if (d != "dirty" && image_) {
        error = d + " comes before the first event";
        return false;
    }
    if (d == "form") {
        if (line.fields.size() != 1 || line.fields[0].name != "as" ||
            (line.fields[0].value != "live" && line.fields[0].value != "backup")) {
            error = "form wants as=live or as=backup";
            return false;
        }
        settings_.backupForm = line.fields[0].value == "backup";
        if (settings_.backupForm && settings_.dirtyAfter) {
            error = "a dirty header belongs to the live form";
            return false;
        }
        return true;
    }
    for (const Field& f : line.fields) {
        std::uint64_t v = 0;
        if (d == "log" && f.name == "maxsize") {
            if (!parseNumber(f.value, 0xFFFFFFFF, v) || v < EvtLogImage::kMinimumMaxSize || v % 4 != 0) {
                error = "maxsize is a multiple of 4 of at least 256 bytes (the platform uses steps of 64 KiB)";
                return false;
            }
            settings_.maxSize = static_cast<DWORD>(v);
        } else if (d == "log" && f.name == "retention") {
            if (f.value == "never")
                v = platform::evt::kRetainNeverOverwrite;
            else if (!parseNumber(f.value, 0xFFFFFFFF, v)) {
                error = "retention is a number of seconds or never";
                return false;
            }
            settings_.retention = static_cast<DWORD>(v);
        } else if (d == "dirty" && f.name == "after") {
            if (!parseNumber(f.value, 0xFFFFFFFF, v)) {
                error = "dirty wants after=<number of events>";
                return false;
            }
            if (settings_.backupForm) {
                error = "a dirty header belongs to the live form";
                return false;
            }
            if (v < written_) {
                error = "dirty after=" + std::to_string(v) + " comes after event " + std::to_string(written_);
                return false;
            }
            settings_.dirtyAfter = static_cast<std::size_t>(v);
            if (v == 0)
                staleHeader_ = EvtLogImage(settings_.maxSize, settings_.retention).header();
        } else {
            error = "unknown field " + f.name + " of " + d;
            return false;
        }
    }
    return true;
}

bool Builder::append(const EvtRecord& record, DWORD minLength, std::string& error)
{
    EvtRecord r = record;
    std::string why;
    const DWORD result = image().append(r, minLength, why, nullptr, &r.recordNumber);
    if (result != ERROR_SUCCESS) {
        error = "event " + std::to_string(written_ + 1) + ": " + why;
        return false;
    }
    ++written_;
    if (keepEvents_)
        out_->events.push_back(std::move(r));
    if (settings_.dirtyAfter && *settings_.dirtyAfter == written_)
        staleHeader_ = image().header();
    return true;
}

bool Builder::eventLine(const Line& line, std::string& error)
{
    EvtRecord r;
    r.eventType = EVENTLOG_INFORMATION_TYPE;
    r.source = "Quellvane";
    r.computer = "WORKSTATION";
    std::uint64_t repeat = 1;
    bool timeGiven = false;
    bool writtenGiven = false;
    DWORD minLength = 0;
    for (const Field& f : line.fields) {
        std::uint64_t v = 0;
        const std::string& n = f.name;
        auto number = [&](std::uint64_t limit) {
            if (parseNumber(f.value, limit, v))
                return true;
            error = n + "=" + f.value + " is not a number up to " + std::to_string(limit);
            return false;
        };
        if (n == "type") {
            static const std::pair<const char*, WORD> kTypes[] = {
                {"error", EVENTLOG_ERROR_TYPE},           {"warning", EVENTLOG_WARNING_TYPE},
                {"information", EVENTLOG_INFORMATION_TYPE}, {"audit-success", EVENTLOG_AUDIT_SUCCESS},
                {"audit-failure", EVENTLOG_AUDIT_FAILURE}, {"success", EVENTLOG_SUCCESS}};
            bool found = false;
            for (const auto& [name, type] : kTypes)
                if (f.value == name) {
                    r.eventType = type;
                    found = true;
                }
            if (!found) {
                if (!number(0xFFFF))
                    return false;
                r.eventType = static_cast<WORD>(v);
            }
        } else if (n == "source") {
            r.source = f.value;
        } else if (n == "computer") {
            r.computer = f.value;
        } else if (n == "id") {
            if (!number(0xFFFFFFFF))
                return false;
            r.eventId = static_cast<DWORD>(v);
        } else if (n == "category") {
            if (!number(0xFFFF))
                return false;
            r.eventCategory = static_cast<WORD>(v);
        } else if (n == "flags") {
            if (!number(0xFFFF))
                return false;
            r.reservedFlags = static_cast<WORD>(v);
        } else if (n == "closing") {
            if (!number(0xFFFFFFFF))
                return false;
            r.closingRecordNumber = static_cast<DWORD>(v);
        } else if (n == "number") {
            if (!number(0xFFFFFFFF) || v == 0) {
                error = "number is a record number from 1";
                return false;
            }
            r.recordNumber = static_cast<DWORD>(v);
        } else if (n == "time" || n == "written") {
            std::uint32_t t = 0;
            if (!ParseTime(f.value, t)) {
                error = n + "=" + f.value + " is not a time (YYYY-MM-DDTHH:MM:SSZ or seconds)";
                return false;
            }
            (n == "time" ? r.timeGenerated : r.timeWritten) = t;
            (n == "time" ? timeGiven : writtenGiven) = true;
        } else if (n == "sid") {
            if (!platform::evt::SidFromText(f.value, r.sid)) {
                error = "sid=" + f.value + " is not a SID (S-1-5-21-...)";
                return false;
            }
        } else if (n == "string") {
            if (f.value.find('\0') != std::string::npos) {
                error = "an insertion string holds no NUL";
                return false;
            }
            r.strings.push_back(f.value);
        } else if (n == "data") {
            if (f.value.size() % 2 != 0) {
                error = "data is hex digits in pairs";
                return false;
            }
            for (std::size_t i = 0; i < f.value.size(); i += 2) {
                const int hi = platform::HexDigitValue(f.value[i]);
                const int lo = platform::HexDigitValue(f.value[i + 1]);
                if (hi < 0 || lo < 0) {
                    error = "data is hex digits in pairs";
                    return false;
                }
                r.data.push_back(static_cast<BYTE>(hi * 16 + lo));
            }
        } else if (n == "repeat") {
            if (!number(100000000))
                return false;
            repeat = v;
        } else if (n == "size") {
            if (!number(0x7FFFFF00))
                return false;
            minLength = static_cast<DWORD>(v);
        } else {
            error = "unknown field " + n + " of event";
            return false;
        }
    }
    for (std::uint64_t i = 0; i < repeat; ++i) {
        EvtRecord copy = r;
        if (i > 0)
            copy.recordNumber = 0;
        if (!timeGiven)
            copy.timeGenerated = clock_++;
        if (!writtenGiven)
            copy.timeWritten = copy.timeGenerated;
        if (!append(copy, minLength, error))
            return false;
    }
    return true;
}

bool Builder::bulkLine(const Line& line, std::string& error)
{
    std::uint64_t count = 0;
    std::uint64_t seed = 1;
    std::uint64_t step = 120;
    std::string computer;
    for (const Field& f : line.fields) {
        if (f.name == "count" && parseNumber(f.value, 100000000, count))
            continue;
        if (f.name == "seed" && parseNumber(f.value, ~std::uint64_t{0}, seed))
            continue;
        if (f.name == "step" && parseNumber(f.value, 86400, step) && step > 0)
            continue;
        if (f.name == "computer") {
            computer = f.value;
            continue;
        }
        error = "bulk wants count=N (up to 100000000) seed=S [step=1..86400] [computer=NAME], not " + f.name + "=" +
                f.value;
        return false;
    }
    BulkEvents events(seed, clock_, static_cast<std::uint32_t>(step), computer);
    std::uint32_t last = clock_;
    for (std::uint64_t i = 0; i < count; ++i) {
        EvtRecord r = events.next();
        last = r.timeWritten;
        if (!append(r, 0, error))
            return false;
    }
    clock_ = last + 1;
    return true;
}

} // namespace

bool ParseTime(std::string_view text, std::uint32_t& seconds)
{
    std::uint64_t plain = 0;
    if (parseNumber(std::string(text), 0xFFFFFFFF, plain)) {
        seconds = static_cast<std::uint32_t>(plain);
        return true;
    }
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return false;
    auto field = [&](std::size_t at, std::size_t length, unsigned& value) {
        auto [end, ec] = std::from_chars(text.data() + at, text.data() + at + length, value);
        return ec == std::errc() && end == text.data() + at + length;
    };
    unsigned y, mo, d, h, mi, s;
    if (!field(0, 4, y) || !field(5, 2, mo) || !field(8, 2, d) || !field(11, 2, h) || !field(14, 2, mi) ||
        !field(17, 2, s) || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return false;
    const std::int64_t t = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    if (t < 0 || t > 0xFFFFFFFF)
        return false;
    seconds = static_cast<std::uint32_t>(t);
    return true;
}

bool GenerateEvtLog(std::string_view description, GeneratedLog& log, std::string& error, bool keepEvents)
{
    Builder builder(keepEvents);
    return builder.run(description, log, error);
}

bool WriteEvtLog(std::string_view description, const std::string& path, std::string& error)
{
    GeneratedLog log;
    if (!GenerateEvtLog(description, log, error, false))
        return false;
    if (platform::WriteFileAtomically(path, log.bytes.data(), log.bytes.size(), true, error) != ERROR_SUCCESS)
        return false;
    return true;
}

} // namespace evtgen
