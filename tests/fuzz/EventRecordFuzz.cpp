// Decodes arbitrary bytes as event records in the ANSI form, walking them
// the way the reader walks a batch.
#include "ntlib/EventItem.h"
#include "ntlib/NTException.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t position = 0;
    while (position + 4 <= size) {
        std::uint32_t length;
        std::memcpy(&length, data + position, 4);
        if (length == 0)
            break;
        TEventItem item(nullptr);
        try {
            item.ReadRecord(data + position, size - position, 1);
            (void)item.GetUserName();
        } catch (const ENTException&) {
            break;
        }
        position += length;
    }
    return 0;
}
