// Compiled help files: opened and read as the help window reads them, and
// the records of their "#SYSTEM" object.  chmlib reads from a file, so
// every input is written to one first.

#include "platform/ChmFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<BYTE> bytes(data, data + size);
    std::string title;
    std::string topic;
    platform::ParseChmSystem(bytes, title, topic);

    static const std::string path = "/tmp/qv-chm-fuzz-" + std::to_string(::getpid()) + ".chm";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    platform::ChmFile chm;
    if (chm.Open(path) == 0) {
        std::vector<BYTE> page;
        for (const char* name : {"/index.html", "/interface.html", "/filter.html", "/qorv.hhc", "/#STRINGS"})
            (void)chm.Read(name, page);
        if (!chm.DefaultTopic().empty())
            (void)chm.Read(chm.DefaultTopic(), page);
    }
    return 0;
}
