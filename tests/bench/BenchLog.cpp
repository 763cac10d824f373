#include "BenchLog.h"

#include "platform/ErrorCodes.h"
#include "platform/FileIo.h"
#include "tools/evtgen/EvtGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

namespace {

std::vector<std::string>& writtenLogs()
{
    static std::vector<std::string> files;
    return files;
}

void removeWrittenLogs()
{
    for (const std::string& file : writtenLogs())
        std::filesystem::remove(file);
}

} // namespace

std::string WriteBenchLog(const std::string& name, int records)
{
    const std::string file =
        (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()) + ".evt")).string();
    evtgen::GeneratedLog log;
    std::string error;
    const std::string description =
        "log maxsize=0x20000000\nform as=backup\nbulk count=" + std::to_string(records) + " seed=2024\n";
    if (!evtgen::GenerateEvtLog(description, log, error, false) ||
        platform::WriteFileAtomically(file, log.bytes.data(), log.bytes.size(), true, error) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot write the benchmark log: %s\n", error.c_str());
        std::exit(1);
    }
    if (writtenLogs().empty())
        std::atexit(removeWrittenLogs);
    writtenLogs().push_back(file);
    return file;
}
