// Reading a large event log through the service: a generated log of
// 1,000,000 realistic records read whole through ReadEventLogA in 16 KB
// batches, as the library's reader does, and the cost of opening it
// (reading the file and indexing its records).

#include "BenchLog.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/Kernel32.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRecords = 1000000;

// The log is written once per run, into the temporary directory.
const std::string& benchLog()
{
    static const std::string path = WriteBenchLog("qv-bench-1m", kRecords);
    return path;
}

void BM_ReadMillionRecordsIn16KBatches(benchmark::State& state)
{
    const std::string& path = benchLog();
    HANDLE log = platform::OpenBackupEventLogA(nullptr, path.c_str());
    if (!log) {
        state.SkipWithError("cannot open the benchmark log");
        return;
    }
    std::vector<BYTE> buffer(16384);
    std::int64_t records = 0;
    for (auto _ : state) {
        // Each pass starts again at the oldest record.
        DWORD read = 0, needed = 0;
        if (!platform::ReadEventLogA(log, EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, 1, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &read, &needed)) {
            state.SkipWithError("seek failed");
            break;
        }
        std::int64_t n = 0;
        do {
            for (DWORD at = 0; at < read; at += *reinterpret_cast<const DWORD*>(buffer.data() + at))
                ++n;
        } while (platform::ReadEventLogA(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                                         static_cast<DWORD>(buffer.size()), &read, &needed));
        if (GetLastError() != ERROR_HANDLE_EOF || n != kRecords) {
            state.SkipWithError("the log did not read whole");
            break;
        }
        records += n;
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
    platform::CloseEventLog(log);
}
BENCHMARK(BM_ReadMillionRecordsIn16KBatches)->Unit(benchmark::kMillisecond);

void BM_OpenAndIndexMillionRecords(benchmark::State& state)
{
    const std::string& path = benchLog();
    for (auto _ : state) {
        HANDLE log = platform::OpenBackupEventLogA(nullptr, path.c_str());
        if (!log) {
            state.SkipWithError("cannot open the benchmark log");
            break;
        }
        platform::CloseEventLog(log);
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenAndIndexMillionRecords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
