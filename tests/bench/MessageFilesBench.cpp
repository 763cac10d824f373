// Descriptions and category texts as the log window asks for them: every
// description loads its message files again, so filtering on descriptions
// over a large log depends on how fast that is.
#include "ntlib/MessageFiles.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::string fixture(const char* name)
{
    return std::string(QV_MESSAGE_FIXTURES) + "/" + name;
}

const TSourceMessageFiles& mirrorFiles()
{
    static const TSourceMessageFiles files = {
        {"EventMessageFile", fixture("mirror_events.dll") + ";" + fixture("mirror_more.dll")},
        {"ParameterMessageFile", fixture("mirror_parameters.dll")},
        {"CategoryMessageFile", fixture("mirror_categories.dll")},
    };
    return files;
}

void BM_Description(benchmark::State& state)
{
    const std::vector<std::string> strings = {"Nightly", "1200", "E:\\Mirror"};
    std::string text;
    for (auto _ : state) {
        FormatEventDescription(100, "Mirrorfield", strings, [] { return mirrorFiles(); }, text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_Description);

void BM_DescriptionFromSecondFileWithParameters(benchmark::State& state)
{
    TSourceMessageFiles files = mirrorFiles();
    files[0].Value = fixture("mirror_more.dll") + ";" + fixture("mirror_audit.dll");
    const std::vector<std::string> strings = {"D:\\Data\\plan.txt", "MIRROR\\ops", "%%1537 %%1538 %%1539"};
    std::string text;
    for (auto _ : state) {
        FormatEventDescription(560, "Mirrorfield", strings, [&] { return files; }, text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_DescriptionFromSecondFileWithParameters);

void BM_CachedCategory(benchmark::State& state)
{
    TCategoryCache cache;
    for (auto _ : state) {
        for (std::uint16_t category = 1; category <= 3; ++category)
            benchmark::DoNotOptimize(ResolveCategoryName(cache, "Mirrorfield", category, [] { return mirrorFiles(); }));
    }
}
BENCHMARK(BM_CachedCategory);

} // namespace

BENCHMARK_MAIN();
