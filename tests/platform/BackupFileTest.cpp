// Backup files are read from the disk as they are asked for: a file is
// checked by its header before anything else of it is read, and a file that
// another program shortens or rewrites while it is open reads as damaged.

#include "EvtTestSupport.h"
#include "ProcessIo.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/FileIo.h"
#include "platform/Kernel32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace platform;
using evttest::LogHandle;

namespace {

// Reads forwards until the log ends or a read fails; gives the records read
// and the error that ended the reading.
DWORD readOn(HANDLE log, std::size_t& records)
{
    std::vector<BYTE> buffer(16384);
    for (;;) {
        DWORD bytesRead = 0, needed = 0;
        if (!ReadEventLogA(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &bytesRead, &needed))
            return GetLastError();
        records += evttest::DecodeAnsiBuffer(buffer.data(), bytesRead).size();
    }
}

class BackupFile : public ::testing::Test {
protected:
    evttest::TempDir dir;

    // A backup file of many records: more than the reader reads ahead.
    std::string manyRecords()
    {
        const std::string path = dir.file("many.evt");
        evttest::WriteFile(path, evttest::Generate("log maxsize=0x4000000\nform as=backup\nbulk count=20000 seed=5\n"));
        return path;
    }
};

} // namespace

TEST_F(BackupFile, ANonLogIsRefusedByItsHeaderWithoutBeingReadWhole)
{
    const std::string path = dir.file("sparse.evt");
    {
        FileDescriptor file;
        std::ofstream(path).put('x');
        ASSERT_EQ(file.openForWriting(path), ERROR_SUCCESS);
        ASSERT_EQ(file.resize(std::uint64_t{1} << 30), ERROR_SUCCESS); // 1 GiB, sparse
    }
    const std::uint64_t before = BytesReadSoFar();
    SetLastError(0);
    EXPECT_EQ(OpenBackupEventLogA(nullptr, path.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_NE(EventLogErrorDetail().find("not an event-log file"), std::string::npos) << EventLogErrorDetail();
    EXPECT_LT(BytesReadSoFar() - before, std::uint64_t{64 * 1024}) << "only the start of the file is read";

    // A file too small for a header says so, as before.
    evttest::WriteFile(dir.file("tiny.evt"), std::vector<BYTE>(20, 0x4C));
    EXPECT_EQ(OpenBackupEventLogA(nullptr, dir.file("tiny.evt").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_NE(EventLogErrorDetail().find("too small"), std::string::npos) << EventLogErrorDetail();
}

TEST_F(BackupFile, AFileShortenedWhileOpenReadsAsDamaged)
{
    const std::string path = manyRecords();
    LogHandle log{OpenBackupEventLogA(nullptr, path.c_str())};
    ASSERT_TRUE(log.h);
    DWORD count = 0;
    ASSERT_TRUE(GetNumberOfEventLogRecords(log.h, &count));
    ASSERT_EQ(count, 20000u);
    std::vector<BYTE> buffer(16384);
    DWORD bytesRead = 0, needed = 0;
    ASSERT_TRUE(ReadEventLogA(log.h, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                              static_cast<DWORD>(buffer.size()), &bytesRead, &needed));
    std::size_t records = evttest::DecodeAnsiBuffer(buffer.data(), bytesRead).size();

    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    EXPECT_EQ(readOn(log.h, records), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_GT(records, 0u);
    EXPECT_LT(records, 20000u);
    EXPECT_NE(EventLogErrorDetail().find("many.evt"), std::string::npos) << EventLogErrorDetail();
    // It stays damaged, and the handle stays usable.
    EXPECT_EQ(readOn(log.h, records), ERROR_EVENTLOG_FILE_CORRUPT);
    ASSERT_TRUE(GetNumberOfEventLogRecords(log.h, &count));
    EXPECT_EQ(count, 20000u);
}

TEST_F(BackupFile, AFileRewrittenWhileOpenReadsAsDamaged)
{
    const std::string path = manyRecords();
    LogHandle log{OpenBackupEventLogA(nullptr, path.c_str())};
    ASSERT_TRUE(log.h);
    // Another program writes over the middle of the file in place.
    {
        FileDescriptor file;
        ASSERT_EQ(file.openForWriting(path), ERROR_SUCCESS);
        const std::vector<BYTE> junk(256 * 1024, 0x5A);
        ASSERT_EQ(file.writeAt(std::filesystem::file_size(path) / 2, junk.data(), junk.size()), ERROR_SUCCESS);
    }
    std::size_t records = 0;
    EXPECT_EQ(readOn(log.h, records), ERROR_EVENTLOG_FILE_CORRUPT);
    EXPECT_GT(records, 5000u) << "the records before the damage read as they are";
    EXPECT_LT(records, 15000u);

    // Opened again, the damaged file is refused at once.
    LogHandle other{OpenBackupEventLogA(nullptr, path.c_str())};
    EXPECT_EQ(other.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_EVENTLOG_FILE_CORRUPT);
}
