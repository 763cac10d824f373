#include "EvtTestSupport.h"

#include "platform/EvtFormat.h"
#include "platform/Kernel32.h"
#include "tools/evtgen/EvtGenerator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace evttest {

using namespace platform::evt;

TempDir::TempDir()
{
    static std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("qv-evt-test-" + std::to_string(seed()) + "-" +
                                                      std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

namespace {

bool takeText(const BYTE* p, DWORD begin, DWORD end, DWORD& at, std::string& text)
{
    for (DWORD i = begin; i < end; ++i) {
        if (p[i] == 0) {
            text.assign(reinterpret_cast<const char*>(p + begin), i - begin);
            at = i + 1;
            return true;
        }
    }
    return false;
}

} // namespace

bool DecodeAnsiRecord(const BYTE* p, DWORD size, EvtRecord& r)
{
    EXPECT_GE(size, kRecordFixedSize + 8);
    if (size < kRecordFixedSize + 8)
        return false;
    EXPECT_EQ(size % 4, 0u);
    EXPECT_EQ(readLe32(p + kRecLength), size);
    EXPECT_EQ(readLe32(p + size - 4), size);
    EXPECT_EQ(readLe32(p + kRecSignature), kSignature);
    const DWORD end = size - 4;
    r = EvtRecord{};
    r.recordNumber = readLe32(p + kRecRecordNumber);
    r.timeGenerated = readLe32(p + kRecTimeGenerated);
    r.timeWritten = readLe32(p + kRecTimeWritten);
    r.eventId = readLe32(p + kRecEventId);
    r.eventType = readLe16(p + kRecEventType);
    r.eventCategory = readLe16(p + kRecEventCategory);
    r.reservedFlags = readLe16(p + kRecReservedFlags);
    r.closingRecordNumber = readLe32(p + kRecClosingRecordNumber);
    DWORD at = kRecordFixedSize;
    if (!takeText(p, at, end, at, r.source) || !takeText(p, at, end, at, r.computer)) {
        ADD_FAILURE() << "names run past the record";
        return false;
    }
    const DWORD sidLength = readLe32(p + kRecUserSidLength);
    const DWORD sidOffset = readLe32(p + kRecUserSidOffset);
    EXPECT_EQ(sidOffset % 4, 0u) << "the SID is aligned";
    EXPECT_GE(sidOffset, at);
    if (std::uint64_t{sidOffset} + sidLength > end) {
        ADD_FAILURE() << "SID runs past the record";
        return false;
    }
    r.sid.assign(p + sidOffset, p + sidOffset + sidLength);
    const WORD numStrings = readLe16(p + kRecNumStrings);
    at = readLe32(p + kRecStringOffset);
    EXPECT_EQ(at, sidOffset + sidLength) << "strings follow the SID";
    for (WORD i = 0; i < numStrings; ++i) {
        std::string s;
        if (!takeText(p, at, end, at, s)) {
            ADD_FAILURE() << "string " << i << " runs past the record";
            return false;
        }
        r.strings.push_back(s);
    }
    const DWORD dataLength = readLe32(p + kRecDataLength);
    const DWORD dataOffset = readLe32(p + kRecDataOffset);
    if (numStrings > 0)
        EXPECT_EQ(dataOffset, at) << "data follows the strings";
    if (std::uint64_t{dataOffset} + dataLength > end) {
        ADD_FAILURE() << "data runs past the record";
        return false;
    }
    r.data.assign(p + dataOffset, p + dataOffset + dataLength);
    return true;
}

std::vector<EvtRecord> DecodeAnsiBuffer(const BYTE* p, DWORD size)
{
    std::vector<EvtRecord> records;
    DWORD at = 0;
    while (at + 4 <= size) {
        const DWORD length = readLe32(p + at);
        if (length == 0 || at + length > size) {
            ADD_FAILURE() << "record at " << at << " has length " << length << " in a buffer of " << size;
            break;
        }
        EvtRecord r;
        if (!DecodeAnsiRecord(p + at, length, r))
            break;
        records.push_back(std::move(r));
        at += length;
    }
    EXPECT_EQ(at, size);
    return records;
}

std::vector<EvtRecord> ReadAll(HANDLE log, bool forwards, DWORD bufferSize)
{
    std::vector<EvtRecord> all;
    std::vector<BYTE> buffer(bufferSize);
    const DWORD flags = EVENTLOG_SEQUENTIAL_READ | (forwards ? EVENTLOG_FORWARDS_READ : EVENTLOG_BACKWARDS_READ);
    for (int guard = 0; guard < 10000000; ++guard) {
        DWORD read = 0, needed = 0;
        if (!platform::ReadEventLogA(log, flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                                     &needed)) {
            const DWORD error = GetLastError();
            if (error == ERROR_INSUFFICIENT_BUFFER) {
                EXPECT_GT(needed, buffer.size());
                buffer.resize(needed);
                continue;
            }
            EXPECT_EQ(error, ERROR_HANDLE_EOF);
            break;
        }
        auto records = DecodeAnsiBuffer(buffer.data(), read);
        EXPECT_FALSE(records.empty());
        all.insert(all.end(), records.begin(), records.end());
    }
    return all;
}

std::vector<BYTE> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<BYTE> Generate(const std::string& description)
{
    evtgen::GeneratedLog log;
    std::string error;
    EXPECT_TRUE(evtgen::GenerateEvtLog(description, log, error)) << error;
    return log.bytes;
}

std::string FixtureDir()
{
    return QV_EVT_FIXTURE_DIR;
}

} // namespace evttest
