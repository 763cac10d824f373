// Compiled help files: opened and read as the help window reads them, and
// the records of their "#SYSTEM" object.  chmlib reads from a file, so
// every input is written to one first.
//
// chmlib is built without sanitizers: bytes it makes up where the file
// ends unseen would pass unnoticed.  So every input is also opened cut
// short (where its last byte says), and each object the cut file gives
// must be the same object of the whole file.  What chmlib decodes from
// damaged compressed data can take bytes of its own buffers that it never
// filled; every allocation is filled with one byte, so that such bytes are
// the same in both files and only bytes missing from the cut one count.

#include "ScratchFolder.h"

#include "platform/ChmFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

// The files chmlib reads lie in a folder of this run's own.
std::string ScratchFile(const char* name)
{
    static const ScratchFolder folder("qv-chm-fuzz");
    return folder.path() + "/" + name + ".chm";
}

} // namespace

extern "C" const char* __asan_default_options()
{
    return "max_malloc_fill_size=2147483647";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<BYTE> bytes(data, data + size);
    std::string title;
    std::string topic;
    platform::ParseChmSystem(bytes, title, topic);

    static const std::string path = ScratchFile("whole");
    writeFile(path, data, size);
    platform::ChmFile chm;
    if (chm.Open(path) != 0)
        return 0;
    // An open file's directory is sound: every object it lists is read.
    std::vector<platform::ChmDirectoryEntry> entries;
    std::uint64_t contentOffset = 0;
    if (platform::CheckChmDirectory(bytes, size, entries, contentOffset) != 0)
        std::abort();
    std::map<std::string, std::vector<BYTE>> objects;
    for (const platform::ChmDirectoryEntry& entry : entries) {
        std::vector<BYTE> object;
        if (chm.Read(entry.name, object) == 0)
            objects[entry.name] = std::move(object);
    }
    if (!chm.DefaultTopic().empty()) {
        std::vector<BYTE> page;
        (void)chm.Read(chm.DefaultTopic(), page);
    }

    static const std::string cutPath = ScratchFile("cut");
    const std::size_t cut = size * data[size - 1] / 256;
    writeFile(cutPath, data, cut);
    platform::ChmFile part;
    if (part.Open(cutPath) != 0)
        return 0;
    for (const platform::ChmDirectoryEntry& entry : entries) {
        std::vector<BYTE> object;
        if (part.Read(entry.name, object) != 0)
            continue;
        const auto whole = objects.find(entry.name);
        if (whole == objects.end() || whole->second != object)
            std::abort(); // a page the file does not hold whole
    }
    return 0;
}
