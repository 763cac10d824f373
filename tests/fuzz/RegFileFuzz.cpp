// Registry files: any bytes either parse or are refused with a message;
// what parses writes out as a file that parses to the same keys.
#include "platform/RegistryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::RegistryKey root;
    std::string error;
    if (!platform::ParseRegistryFile(bytes, "HKEY_LOCAL_MACHINE", root, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    for (auto encoding : {platform::RegistryFileEncoding::Utf16LE, platform::RegistryFileEncoding::Utf8}) {
        const std::string written = platform::FormatRegistryFile(root, "HKEY_LOCAL_MACHINE", encoding);
        platform::RegistryKey again;
        if (!platform::ParseRegistryFile(written, "HKEY_LOCAL_MACHINE", again, error))
            std::abort();
        if (platform::FormatRegistryFile(again, "HKEY_LOCAL_MACHINE", encoding) != written)
            std::abort();
    }
    return 0;
}
