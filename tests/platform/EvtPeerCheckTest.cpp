// Peer check: an independent reader of *.evt files (evtexport) reads every
// fixture our writer makes and reports the same records as our service.
// It does not follow a log that wraps after filler words at the end of the
// file: for those it must report exactly the records before the filler.

#include "EvtTestSupport.h"

#include "platform/ErrorCodes.h"
#include "platform/EvtFormat.h"
#include "platform/EvtParser.h"
#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>

using platform::evt::EvtRecord;

namespace {

using Fields = std::map<std::string, std::string>;

bool evtexportFound()
{
    return std::system("command -v evtexport >/dev/null 2>&1") == 0;
}

std::vector<Fields> runEvtexport(const std::string& path, int& status)
{
    std::vector<Fields> records;
    FILE* pipe = ::popen(("evtexport '" + path + "' 2>/dev/null").c_str(), "r");
    if (!pipe) {
        status = -1;
        return records;
    }
    char line[65536];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const auto separator = text.find("\t: ");
        if (separator == std::string::npos)
            continue;
        std::string key = text.substr(0, separator);
        while (!key.empty() && key.back() == '\t')
            key.pop_back();
        const std::string value = text.substr(separator + 3);
        if (key == "Event number")
            records.emplace_back();
        if (!records.empty())
            records.back()[key] = value;
    }
    status = ::pclose(pipe);
    return records;
}

std::string timeText(DWORD seconds)
{
    const std::time_t t = seconds;
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %02d, %04d %02d:%02d:%02d UTC", kMonths[tm.tm_mon], tm.tm_mday,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

Fields fieldsOf(const EvtRecord& r)
{
    Fields f;
    f["Event number"] = std::to_string(r.recordNumber);
    f["Creation time"] = timeText(r.timeGenerated);
    f["Written time"] = timeText(r.timeWritten);
    f["Event type"] = "(" + std::to_string(r.eventType) + ")";
    if (!r.sid.empty())
        f["User security identifier"] = platform::evt::SidToText(r.sid);
    f["Computer name"] = r.computer;
    f["Source name"] = r.source;
    f["Event category"] = std::to_string(r.eventCategory);
    char id[40];
    std::snprintf(id, sizeof id, "0x%08x (%u)", r.eventId, r.eventId);
    f["Event identifier"] = id;
    f["Number of strings"] = std::to_string(r.strings.size());
    for (std::size_t i = 0; i < r.strings.size(); ++i)
        f["String: " + std::to_string(i + 1)] = r.strings[i];
    return f;
}

// Keeps of the peer's fields those we compare; the type only by its number.
Fields comparable(Fields peer)
{
    const auto open = peer["Event type"].rfind('(');
    if (open != std::string::npos)
        peer["Event type"] = peer["Event type"].substr(open);
    return peer;
}

// The records of a log up to where it first continues at offset 0x30.
std::size_t recordsBeforeWrap(const std::string& path)
{
    platform::evt::EvtLogImage image(0x10000, 0);
    std::string why;
    EXPECT_EQ(platform::evt::EvtParser::parse(evttest::ReadFile(path), image, why), ERROR_SUCCESS) << why;
    std::size_t n = 0;
    while (n < image.recordCount() && (n == 0 || image.entry(n).offset > image.entry(n - 1).offset))
        ++n;
    return n;
}

// evtexport decodes characters outside the Basic Multilingual Plane (UTF-16
// surrogate pairs) to other characters; such characters are compared as a
// placeholder on both sides.
std::string maskNonBmp(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xF8) == 0xF0 && i + 3 < text.size()) {
            out += "<non-BMP>";
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

Fields masked(Fields fields)
{
    for (auto& [key, value] : fields)
        value = maskNonBmp(value);
    return fields;
}

} // namespace

TEST(EvtPeerCheck, EvtexportReadsTheSameRecordsFromEveryFixture)
{
    if (!evtexportFound())
        GTEST_SKIP() << "evtexport is not installed";
    // Fixtures whose records wrap after filler words, which evtexport does
    // not follow.
    const std::set<std::string> stopsAtFiller = {"wrapped-filler.evt", "bulk-wrapped.evt"};
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(evttest::FixtureDir())) {
        if (entry.path().extension() != ".evt")
            continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        HANDLE log = platform::OpenBackupEventLogA(nullptr, entry.path().c_str());
        ASSERT_TRUE(log) << GetLastError() << " " << platform::EventLogErrorDetail();
        const std::vector<EvtRecord> ours = evttest::ReadAll(log);
        platform::CloseEventLog(log);

        int status = 0;
        const std::vector<Fields> peer = runEvtexport(entry.path().string(), status);
        EXPECT_EQ(status, 0);
        std::size_t expected = ours.size();
        if (stopsAtFiller.count(name)) {
            expected = recordsBeforeWrap(entry.path().string());
            EXPECT_LT(expected, ours.size()) << "the fixture wraps after filler";
        }
        ASSERT_EQ(peer.size(), expected);
        for (std::size_t i = 0; i < peer.size(); ++i)
            EXPECT_EQ(masked(comparable(peer[i])), masked(fieldsOf(ours[i]))) << "record " << i;
        ++checked;
    }
    EXPECT_GE(checked, 8);
}
