// Message files and message texts from outside: the input is read as a PE
// image whose message tables are looked up and formatted, as a bare message
// table, and as a message text formatted with an argument array.
#include "platform/DataFileModules.h"
#include "platform/Kernel32.h"
#include "platform/MessageTable.h"
#include "platform/PeImage.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kEntries = 99;

// Entries that are safe whatever format a text gives them: each points to
// a text that ends in enough NULs to end it as UTF-8 and as UTF-16 too, and
// its value as a number is as good as any.  The last few are null.
struct ArgumentArray {
    ArgumentArray()
    {
        for (std::size_t i = 0; i < kEntries; ++i) {
            std::snprintf(texts[i].data(), texts[i].size() - 4, "a%zu", i + 1);
            entries[i] = i < 90 ? reinterpret_cast<std::uintptr_t>(texts[i].data()) : 0;
        }
    }
    alignas(8) std::array<std::array<char, 16>, kEntries> texts{};
    std::array<std::uintptr_t, kEntries> entries{};
};

const ArgumentArray& arguments()
{
    static const ArgumentArray a;
    return a;
}

void formatFrom(DWORD flags, LPCVOID source, DWORD id, DWORD language)
{
    std::array<char, 2048> buffer{};
    void* args = const_cast<std::uintptr_t*>(arguments().entries.data());
    FormatMessageA(flags | FORMAT_MESSAGE_ARGUMENT_ARRAY, source, id, language, buffer.data(),
                   static_cast<DWORD>(buffer.size()), args);
}

// The ids worth asking a table for: the edges of its first blocks.
std::vector<DWORD> idsOf(const platform::MessageTable& table)
{
    std::vector<DWORD> ids;
    const DWORD blocks = std::min<DWORD>(table.BlockCount(), 8);
    for (DWORD b = 0; b < blocks; ++b) {
        DWORD low = 0, high = 0;
        if (table.Block(b, low, high))
            for (DWORD id : {low, low + 1, high})
                ids.push_back(id);
    }
    return ids;
}

void asImage(const std::vector<BYTE>& bytes)
{
    platform::PeImage image;
    if (platform::PeImage::Parse(bytes, image) != ERROR_SUCCESS)
        return;
    HMODULE module = nullptr;
    if (platform::LoadDataFileImage(bytes, module) != ERROR_SUCCESS)
        return;
    std::vector<WORD> languages;
    image.ResourceLanguages(platform::kResourceTypeMessageTable, 1, languages);
    if (languages.size() > 4)
        languages.resize(4);
    languages.push_back(0);
    for (WORD language : languages) {
        std::span<const BYTE> data;
        std::vector<DWORD> ids = {0, 1, 100};
        if (language != 0 &&
            image.FindResource(platform::kResourceTypeMessageTable, 1, language, data) == ERROR_SUCCESS) {
            const std::vector<DWORD> more = idsOf(platform::MessageTable(data));
            ids.insert(ids.end(), more.begin(), more.end());
        }
        for (DWORD id : ids) {
            formatFrom(FORMAT_MESSAGE_FROM_HMODULE, module, id, language);
            formatFrom(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_STRING_ARGUMENTS, module, id, language);
        }
    }
    FreeLibrary(module);
}

void asTable(std::span<const BYTE> bytes)
{
    const platform::MessageTable table(bytes);
    std::string text;
    for (DWORD id : idsOf(table))
        table.Find(id, text);
    table.Find(1, text);
}

void asText(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size); // up to its first NUL, as the platform reads it
    for (DWORD flags : {0u, FORMAT_MESSAGE_IGNORE_INSERTS, FORMAT_MESSAGE_STRING_ARGUMENTS, 0xFFu, 7u})
        formatFrom(FORMAT_MESSAGE_FROM_STRING | flags, text.c_str(), 0, 0);
    // A buffer far too small for most results.
    std::array<char, 8> small{};
    FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, text.c_str(), 0, 0, small.data(),
                   static_cast<DWORD>(small.size()), const_cast<std::uintptr_t*>(arguments().entries.data()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<BYTE> bytes(data, data + size);
    asImage(bytes);
    asTable(bytes);
    asText(data, size);
    return 0;
}
