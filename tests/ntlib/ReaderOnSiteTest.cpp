// The reader on a small network: live logs of the local computer and of
// remote computers found through their registries, descriptions and
// category texts from genuine message files on the computer that holds the
// log, and the failures of computers that cannot be reached.

#include "RaisedException.h"
#include "SiteBuilder.h"

#include "ntlib/AdvApi32.h"
#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/EvtFormat.h"
#include "platform/EvtLogImage.h"
#include "platform/FileIo.h"
#include "platform/Kernel32.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(QV_MESSAGE_FIXTURES) + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* kMirrorSource =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Mirrorfield]\n"
    "\"EventMessageFile\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,5c,00,73,"
    "00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,6d,00,69,00,72,00,72,00,6f,00,72,00,5f,00,65,00,76,00,65,"
    "00,6e,00,74,00,73,00,2e,00,64,00,6c,00,6c,00,00,00\n";

class ReaderOnSite : public ::testing::Test {
protected:
    SiteBuilder site;
    std::unique_ptr<ScopedSystemFunctions> bound;

    void SetUp() override
    {
        site.Local("WKS1")
            .Domain("CORP")
            .Computer("SRV1", {.domain = "CORP"})
            .Computer("LOCKED", {.domain = "CORP", .requiresConnection = true, .accounts = {{"admin", "pw"}}})
            .Computer("DOWN", {.domain = "CORP", .reachable = false})
            .Computer("BARE", {.domain = "CORP"});
        for (const char* computer : {"WKS1", "SRV1", "LOCKED"}) {
            site.StandardEventLogs(computer);
            site.Registry(computer,
                          std::string(kMirrorSource) + "\"CategoryMessageFile\"=\"%SystemRoot%\\\\system32\\\\mirror_"
                                                       "categories.dll\"\n\"ParameterMessageFile\"=\"%systemroot%"
                                                       "\\\\System32\\\\MIRROR_PARAMETERS.dll\"\n\"CategoryCount\"="
                                                       "dword:00000003\n");
            for (const char* dll : {"mirror_events.dll", "mirror_categories.dll", "mirror_parameters.dll"})
                site.DriveFile(computer, std::string("WINDOWS\\system32\\") + dll, fixture(dll));
        }
        // BARE registers the source but holds none of its message files.
        site.StandardEventLogs("BARE");
        site.Registry("BARE", kMirrorSource);
        site.Load();
        writeLog("WKS1", "event source=Mirrorfield computer=WKS1 id=100 category=1 string=Nightly string=12 "
                         "string=\"D:\\\\Mirror\"\n"
                         "event source=Unregistered computer=WKS1 id=0x80000007 category=3 string=\"one\" "
                         "string=\"two\"\n");
        writeLog("SRV1", "event source=Mirrorfield computer=SRV1 id=101 category=2 string=Weekly string=\"C:\\\\A\" "
                         "string=\"C:\\\\B\"\n");
        writeLog("LOCKED", "event source=Mirrorfield computer=LOCKED id=100 string=a string=b string=c\n");
        bound = std::make_unique<ScopedSystemFunctions>();
    }

    // Writes a compact backup file of the records (numbered from 1) and
    // gives its path and the offset of each record in it.
    std::string writeBackup(const std::vector<platform::evt::EvtRecord>& records, std::vector<DWORD>& offsets,
                            std::vector<BYTE>* patchedRecord1 = nullptr)
    {
        platform::evt::EvtLogImage image(0x1000000, 0);
        std::string why;
        for (const platform::evt::EvtRecord& r : records)
            EXPECT_EQ(image.append(r, 0, why, nullptr), 0u) << why;
        std::vector<BYTE> bytes = image.compactBytes();
        offsets.clear();
        for (DWORD at = platform::evt::kHeaderSize; offsets.size() < records.size();
             at += platform::evt::readLe32(bytes.data() + at))
            offsets.push_back(at);
        if (patchedRecord1)
            std::copy(patchedRecord1->begin(), patchedRecord1->end(), bytes.begin() + offsets[1]);
        const std::string path = site.DrivePath("WKS1", "Backups\\in-place.evt");
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_EQ(platform::WriteFileAtomically(path, bytes.data(), bytes.size(), true, why), 0u) << why;
        return path;
    }

    void writeLog(const std::string& computer, const std::string& events)
    {
        evtgen::GeneratedLog log;
        std::string error;
        ASSERT_TRUE(evtgen::GenerateEvtLog("clock time=2020-01-02T03:04:05Z\n" + events, log, error)) << error;
        const std::string path = site.DrivePath(computer, "WINDOWS\\system32\\config\\AppEvent.Evt");
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_EQ(platform::WriteFileAtomically(path, log.bytes.data(), log.bytes.size(), true, error), 0u) << error;
    }
};

} // namespace

TEST_F(ReaderOnSite, LocalLogShowsDescriptionsAndCategoriesFromMessageFiles)
{
    TNTEventLog log;
    log.SetSourceName("Application");
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 2);
    TEventItem* first = log.GetEvent(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(log.GetDescription(0), "Mirror job Nightly copied 12 files to D:\\Mirror.\r\n");
    EXPECT_FALSE(first->CategoryName.empty());
    EXPECT_NE(first->CategoryName, "None");

    TEventItem* second = log.GetEvent(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->CategoryName, "");
    EXPECT_EQ(log.GetDescription(1), "The description for Event ID ( 7 ) in Source ( Unregistered ) could not be "
                                     "found. It contains the following insertion string(s): .\r\none\r\ntwo");

    std::string rewritten;
    log.SetOnDescriptionNotFound([&](TNTEventLog*, std::string& text) { text = "[" + text.substr(0, 15) + "]"; });
    EXPECT_EQ(log.GetDescription(1), "[The description]");
}

TEST_F(ReaderOnSite, DescriptionsSeeAChangedMessageFileAtTheNextOpening)
{
    TNTEventLog log;
    log.SetSourceName("Application");
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 2);
    const std::string before = log.GetDescription(0);
    EXPECT_EQ(before, "Mirror job Nightly copied 12 files to D:\\Mirror.\r\n");

    // The file now holds other messages: message 100 is gone.
    site.DriveFile("WKS1", "WINDOWS\\system32\\mirror_events.dll", fixture("mirror_more.dll"));
    log.SetActive(false);
    log.SetActive(true);
    EXPECT_EQ(log.GetDescription(0), "The description for Event ID ( 100 ) in Source ( Mirrorfield ) could not be "
                                     "found. It contains the following insertion string(s): .\r\nNightly\r\n12\r\n"
                                     "D:\\Mirror");
}

TEST_F(ReaderOnSite, DescriptionsOfABackupComeFromTheComputerNamedNow)
{
    const std::string found = "Mirror job Nightly copied 12 files to D:\\Mirror.\r\n";
    const std::string missing = "The description for Event ID ( 100 ) in Source ( Mirrorfield ) could not be found. "
                                "It contains the following insertion string(s): .\r\nNightly\r\n12\r\nD:\\Mirror";
    struct Case {
        const char* from;
        const char* to;
        const std::string& before;
        const std::string& after;
    } cases[] = {{"BARE", "", missing, found}, {"", "BARE", found, missing}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("from \"") + c.from + "\" to \"" + c.to + "\"");
        TNTEventLog log;
        log.SetMachineName(c.from);
        log.SetBackupFileName(site.DrivePath("WKS1", "WINDOWS\\system32\\config\\AppEvent.Evt"));
        log.SetActive(true);
        ASSERT_EQ(log.GetEventCount(), 2);
        EXPECT_EQ(log.GetDescription(0), c.before);
        log.SetMachineName(c.to);
        EXPECT_EQ(log.GetDescription(0), c.after);
        EXPECT_EQ(log.GetDescription(0), c.after);
    }
}

TEST_F(ReaderOnSite, RemoteLogByNameWithAndWithoutBackslashes)
{
    for (const char* name : {"SRV1", "\\\\SRV1", "srv1"}) {
        TNTEventLog log;
        log.SetMachineName(name);
        log.SetSourceName("Application");
        log.SetActive(true);
        ASSERT_EQ(log.GetEventCount(), 1) << name;
        EXPECT_EQ(log.GetEvent(0)->Computer, "SRV1");
        EXPECT_EQ(log.GetDescription(0), "Mirror job Weekly finished.\r\nSource folder: C:\\A\r\nTarget folder: "
                                         "C:\\B\r\n")
            << name;
    }
}

TEST_F(ReaderOnSite, LogNamesOfAComputer)
{
    TNTEventLog log;
    std::vector<std::string> names;
    log.GetLogNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Application", "Security", "System"}));
    log.SetMachineName("SRV1");
    log.GetLogNames(names);
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(ReaderOnSite, ComputersThatCannotBeReached)
{
    // The registry of a computer that is down cannot be connected.
    TNTEventLog down;
    EXPECT_EQ(RaisedCode([&] { down.SetMachineName("DOWN"); }), 53);
    // A computer that needs credentials refuses without them and opens with them.
    TNTEventLog locked;
    EXPECT_EQ(RaisedCode([&] { locked.SetMachineName("LOCKED"); }), 5);
    TNTEventLog withCredentials;
    withCredentials.LogonAs().UserName = "admin";
    withCredentials.LogonAs().Password = "pw";
    withCredentials.SetMachineName("LOCKED");
    withCredentials.SetSourceName("Application");
    withCredentials.SetActive(true);
    EXPECT_EQ(withCredentials.GetEventCount(), 1);
    EXPECT_EQ(withCredentials.GetDescription(0), "Mirror job a copied b files to c.\r\n");
}

TEST_F(ReaderOnSite, ABackupFileShortenedWhileOpenReadsAsDamaged)
{
    evtgen::GeneratedLog generated;
    std::string error;
    ASSERT_TRUE(evtgen::GenerateEvtLog("log maxsize=0x4000000\nform as=backup\nbulk count=20000 seed=9\n", generated,
                                       error, false))
        << error;
    const std::string path = site.DrivePath("WKS1", "Backups\\many.evt");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_EQ(platform::WriteFileAtomically(path, generated.bytes.data(), generated.bytes.size(), true, error), 0u);

    TNTEventLog log;
    log.SetBackupFileName(path);
    log.SetActive(true);
    ASSERT_EQ(log.GetEventCount(), 20000);
    TEventItem* first = log.GetEvent(0);
    ASSERT_NE(first, nullptr);
    const std::string source = first->Source;
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);

    int index = 1;
    const auto [text, code] = Raised([&] {
        for (; index < 20000; ++index)
            log.GetEvent(index);
    });
    EXPECT_EQ(code, 1500);
    EXPECT_EQ(text, "1500: The event log file is corrupted.\r\n");
    EXPECT_GT(index, 1000);
    EXPECT_LT(index, 20000);
    EXPECT_EQ(first->Source, source) << "the events read before stay";
    EXPECT_EQ(log.GetEventCount(), 20000);
}

namespace {

// Events of every shape: non-ASCII texts in every part, empty names and
// strings, no strings, hundreds of strings, data larger than a read batch.
std::vector<platform::evt::EvtRecord> eventsOfEveryShape()
{
    std::vector<platform::evt::EvtRecord> records;
    platform::evt::EvtRecord r;
    r.timeGenerated = 1614834367;
    r.timeWritten = 1614834368;
    r.eventId = 0xC0001B58;
    r.eventType = EVENTLOG_ERROR_TYPE;
    r.eventCategory = 7;
    r.source = "Служба";
    r.computer = "WS-LAB-12";
    r.strings = {"Druckwarteschlange «läuft»", "", "服务 \xF0\x9F\x98\x80", "exactly sixteen!"};
    platform::evt::SidFromText("S-1-5-21-1004336348-1177238915-682003330-1001", r.sid);
    r.data = {0xDE, 0xAD, 0xBE, 0xEF, 0x01};
    records.push_back(r);
    platform::evt::EvtRecord bare; // no strings, no SID, no data, empty names
    bare.timeWritten = 1614834369;
    records.push_back(bare);
    platform::evt::EvtRecord many = r;
    many.strings.assign(300, "s");
    many.strings[299] = "the last of 300";
    records.push_back(many);
    platform::evt::EvtRecord big = r;
    big.source = "Application Error";
    big.data.assign(100000, 0x5A);
    records.push_back(big);
    for (int i = 0; i < 200; ++i) { // shared texts, several batches
        platform::evt::EvtRecord more = r;
        more.computer = i % 2 ? "WS-LAB-12" : "SRV-FILES01";
        more.strings = {"event " + std::to_string(i)};
        records.push_back(more);
    }
    return records;
}

void expectSameEvent(const TEventItem& item, const TEventItem& expected)
{
    EXPECT_EQ(item.Index, expected.Index);
    EXPECT_EQ(item.RecordNumber, expected.RecordNumber);
    EXPECT_EQ(item.TimeGenerated, expected.TimeGenerated);
    EXPECT_EQ(item.TimeWritten, expected.TimeWritten);
    EXPECT_EQ(item.EventID, expected.EventID);
    EXPECT_EQ(item.EventType, expected.EventType);
    EXPECT_EQ(item.Category, expected.Category);
    EXPECT_EQ(item.Source, expected.Source);
    EXPECT_EQ(item.Computer, expected.Computer);
    EXPECT_EQ(item.Strings, expected.Strings);
    EXPECT_EQ(item.Sid, expected.Sid);
    EXPECT_EQ(item.Data, expected.Data);
}

} // namespace

// The reader decodes a backup file's records where it keeps them, straight
// from their on-disk form: the events are those that the ANSI form of
// ReadEventLogA gives, read in either direction.
TEST_F(ReaderOnSite, EventsDecodedInPlaceAreThoseOfReadEventLogA)
{
    std::vector<DWORD> offsets;
    const std::vector<platform::evt::EvtRecord> records = eventsOfEveryShape();
    // Unpaired surrogates: at the end of the source name and in a string.
    std::vector<BYTE> surrogates = platform::evt::EncodeRecord(records[0]);
    surrogates[0x38 + 2 * 5] = 0x00;
    surrogates[0x38 + 2 * 5 + 1] = 0xD8;
    const DWORD strings = platform::evt::readLe32(surrogates.data() + platform::evt::kRecStringOffset);
    surrogates[strings + 1] = 0xDC;
    platform::evt::writeLe32(surrogates.data() + platform::evt::kRecRecordNumber, 2);
    std::vector<platform::evt::EvtRecord> withRoom = records;
    withRoom[1] = records[0]; // the same length as the patched record
    const std::string path = writeBackup(withRoom, offsets, &surrogates);
    const int count = static_cast<int>(records.size());

    // The expected events: ReadEventLogA's ANSI records, decoded one by one.
    const HANDLE handle = platform::OpenBackupEventLogA(nullptr, path.c_str());
    ASSERT_NE(handle, nullptr);
    std::vector<std::unique_ptr<TEventItem>> expected;
    std::vector<BYTE> buffer(0x40000);
    for (int i = 0; i < count; ++i) {
        DWORD read = 0, needed = 0;
        ASSERT_TRUE(platform::ReadEventLogA(handle, EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ,
                                            static_cast<DWORD>(i + 1), buffer.data(),
                                            static_cast<DWORD>(buffer.size()), &read, &needed));
        expected.push_back(std::make_unique<TEventItem>(nullptr));
        expected.back()->ReadRecord(buffer.data(), read, 1);
    }
    platform::CloseEventLog(handle);
    EXPECT_EQ(expected[1]->Source.str(), "Служб\xEF\xBF\xBD");
    EXPECT_EQ(expected[1]->Strings[0].substr(0, 3), "\xEF\xBF\xBD");

    ASSERT_TRUE(CanReadEventLogRecords());
    for (bool newestFirst : {false, true}) {
        SCOPED_TRACE(newestFirst ? "newest first" : "oldest first");
        TNTEventLog log;
        log.SetBackupFileName(path);
        log.SetActive(true);
        ASSERT_EQ(log.GetEventCount(), count);
        for (int k = 0; k < count; ++k) {
            const int i = newestFirst ? count - 1 - k : k;
            SCOPED_TRACE(i);
            TEventItem* item = log.GetEvent(i);
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(item->IsCached());
            expectSameEvent(*item, *expected[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(&log.GetEvent(10)->Source.str(), &log.GetEvent(150)->Source.str()) << "one text for a source";
    }
}

// A record that another program rewrites in place with damage is refused
// where ReadEventLogA refuses it, after the events before it.
TEST_F(ReaderOnSite, ARecordDamagedWhileOpenIsRefusedAsReadEventLogARefusesIt)
{
    using namespace platform::evt;
    const std::vector<EvtRecord> records = eventsOfEveryShape();
    const std::vector<BYTE> good = EncodeRecord(records[0]);
    const DWORD size = static_cast<DWORD>(good.size());
    const std::function<void(std::vector<BYTE>&)> damages[] = {
        [](auto& b) { b[4] = 'X'; },                                            // signature
        [&](auto& b) { writeLe32(b.data() + size - 4, size + 4); },             // trailing length
        [&](auto& b) { std::fill(b.begin() + 0x38, b.end() - 4, 0x41); },      // no NUL at all
        [&](auto& b) { std::fill(b.begin() + 0x38 + 14, b.end() - 4, 0x41); }, // computer name
        [&](auto& b) { writeLe32(b.data() + kRecUserSidOffset, size - 8); },   // SID outside
        [&](auto& b) { writeLe32(b.data() + kRecStringOffset, size); },        // strings outside
        [&](auto& b) { writeLe32(b.data() + kRecStringOffset, 0x20); },        // strings in the fixed part
        [](auto& b) { writeLe16(b.data() + kRecNumStrings, 500); },             // strings run past the end
        [&](auto& b) { writeLe32(b.data() + kRecDataLength, size); },          // data outside
    };
    for (std::size_t d = 0; d < std::size(damages); ++d) {
        SCOPED_TRACE(d);
        std::vector<DWORD> offsets;
        // Megabytes of records after it: the file is read again from the
        // disk when the record is asked for.
        std::vector<EvtRecord> sameLength(records.begin(), records.begin() + 3);
        sameLength[1] = records[0];
        sameLength.resize(14000, records.back());
        const std::string path = writeBackup(sameLength, offsets);
        TNTEventLog log;
        log.SetBackupFileName(path);
        log.SetActive(true);
        const HANDLE handle = platform::OpenBackupEventLogA(nullptr, path.c_str());
        ASSERT_NE(handle, nullptr);

        std::vector<BYTE> bytes = good;
        writeLe32(bytes.data() + kRecRecordNumber, 2);
        damages[d](bytes);
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(offsets[1]);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();

        std::vector<BYTE> buffer(0x10000);
        DWORD read = 0, needed = 0;
        EXPECT_FALSE(platform::ReadEventLogA(handle, EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, 2, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), &read, &needed));
        EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
        platform::CloseEventLog(handle);

        ASSERT_NE(log.GetEvent(0), nullptr);
        const auto [text, code] = Raised([&] { log.GetEvent(1); });
        EXPECT_EQ(code, 1500);
        EXPECT_EQ(text, "1500: The event log file is corrupted.\r\n");
        EXPECT_EQ(log.GetEvent(0)->Strings, records[0].strings) << "the event read before stays";
    }
}
