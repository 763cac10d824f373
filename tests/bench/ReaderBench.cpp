// The library's reader on a large log: every event of a generated
// 1,000,000-record backup file fetched through TNTEventLog::GetEvent (index 0
// to count-1), with the memory the decoded events take; beside it the plain
// read of the same file for comparison.

#include "BenchLog.h"
#include "BenchMemory.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"

#include "platform/ErrorCodes.h"
#include "platform/FileIo.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRecords = 1000000;

const std::string& benchLog()
{
    static const std::string path = WriteBenchLog("qv-reader-1m", kRecords);
    return path;
}

void BM_ReaderGetEveryEvent(benchmark::State& state)
{
    const std::string& path = benchLog();
    ScopedSystemFunctions bound;
    double bytesPerEvent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto log = std::make_unique<TNTEventLog>();
        log->SetBackupFileName(path);
        // Resident memory, not the heap's: the cache takes its memory from
        // the system directly.
        const double before = currentRssMiB();
        state.ResumeTiming();

        log->SetActive(true);
        const int count = log->GetEventCount();
        for (int i = 0; i < count; ++i)
            benchmark::DoNotOptimize(log->GetEvent(i));

        state.PauseTiming();
        if (count != kRecords)
            state.SkipWithError("the log did not read whole");
        bytesPerEvent = (currentRssMiB() - before) * 1024.0 * 1024.0 / count;
        log.reset();
        state.ResumeTiming();
    }
    state.counters["events/s"] =
        benchmark::Counter(static_cast<double>(kRecords) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["bytes/event"] = bytesPerEvent;
}
BENCHMARK(BM_ReaderGetEveryEvent)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_PlainFileRead(benchmark::State& state)
{
    const std::string& path = benchLog();
    for (auto _ : state) {
        std::vector<BYTE> bytes;
        std::string error;
        if (platform::ReadWholeFile(path, bytes, error) != ERROR_SUCCESS)
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_PlainFileRead)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
