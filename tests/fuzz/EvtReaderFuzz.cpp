// Fuzzes the library's reader with untrusted backup files: the bytes are
// written to a file, opened as a backup log, and every event is fetched in
// sequential mode (records decoded straight from their on-disk form into
// the reader's cache) and then a few by index in random mode, reading each
// event's texts, strings, data and user.

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"
#include "ntlib/NTException.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

// One file per fuzzing process, rewritten for every input.
const std::string& InputPath()
{
    static const std::string path = "/tmp/qv-evt-reader-fuzz-" + std::to_string(::getpid()) + ".evt";
    return path;
}

// Touches every part of an event, so a part that points outside its
// storage is found by the sanitizers.
std::size_t Touch(const TEventItem& e)
{
    std::size_t sum = std::string(e.Source).size() + std::string(e.Computer).size() + e.Data.size() + e.Sid.size();
    for (std::size_t i = 0; i < e.Strings.size(); ++i)
        sum += std::string(e.Strings[i]).size();
    for (std::size_t i = 0; i < e.Data.size(); ++i)
        sum += e.Data[i];
    return sum;
}

void ReadAll(TLogReadMode mode)
{
    TNTEventLog reader;
    reader.SetBackupFileName(InputPath());
    reader.SetIncludeUserName(false);
    reader.SetLogReadMode(mode);
    try {
        reader.SetActive(true);
        const int count = reader.GetEventCount();
        volatile std::size_t sink = 0;
        if (mode == lrmSequential) {
            for (int i = 0; i < count && i < 100000; ++i)
                if (const TEventItem* e = reader.GetEvent(i))
                    sink = sink + Touch(*e);
        } else {
            for (int i : {count - 1, 0, count / 2})
                if (i >= 0)
                    if (const TEventItem* e = reader.GetEvent(i))
                        sink = sink + Touch(*e);
        }
    } catch (const ENTException&) {
        // a damaged file is refused or ends the reading: that is its answer
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x400000)
        return 0;
    static ScopedSystemFunctions bound;
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    ReadAll(lrmSequential);
    ReadAll(lrmRandom);
    std::remove(InputPath().c_str());
    return 0;
}
