// The bare walk: the least any reader of a backup file must do.  It maps
// the file, walks its records from the header's start offset to its
// end-of-file record, decodes the fixed part of every record and converts
// every string (source, computer, insertion strings) from UTF-16 to UTF-8,
// and nothing else.  The speed benchmark compares the reader and the log
// window with it.
//
//   qvspeed_walk FILE

#include "SpeedChild.h"

#include "platform/EvtFormat.h"
#include "platform/Utf16Text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace platform::evt;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvspeed_walk FILE\n");
        return 2;
    }
    ReportMemoryBeforeOpen();
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    // Mapped: the cheapest way to have the whole file at hand.
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED || size < kHeaderSize) {
        std::perror(argv[1]);
        return 1;
    }

    const BYTE* b = static_cast<const BYTE*>(mapped);
    DWORD at = readLe32(b + kHdrStartOffset);
    const DWORD eof = readLe32(b + kHdrEndOffset);
    std::vector<BYTE> text(0x10000);
    std::uint64_t events = 0;
    std::uint64_t sum = 0;
    while (at != eof && at + kRecordMinSize <= size) {
        const BYTE* r = b + at;
        const DWORD length = readLe32(r + kRecLength);
        if (length < kRecordMinSize || at + length > size) {
            std::fprintf(stderr, "damaged record at %u\n", at);
            return 1;
        }
        const BYTE* end = r + length - 4;
        sum += readLe32(r + kRecRecordNumber) + readLe32(r + kRecTimeGenerated) + readLe32(r + kRecTimeWritten) +
               readLe32(r + kRecEventId) + readLe16(r + kRecEventType) + readLe16(r + kRecEventCategory) +
               readLe32(r + kRecUserSidLength) + readLe32(r + kRecDataLength);
        // The platform's fastest way: one pass finds the NUL and converts.
        auto convert = [&](const BYTE* p) {
            if (text.size() < 2 * length)
                text.resize(2 * length);
            BYTE* last = text.data();
            std::size_t units = 0;
            if (platform::ConvertUtf16LeText(p, end, last, text.data() + text.size(), units) !=
                platform::TextConversion::Done) {
                std::fprintf(stderr, "damaged text in the record at %u\n", at);
                std::exit(1);
            }
            sum += static_cast<std::uint64_t>(last - text.data()) + text[0];
            return p + 2 * (units + 1);
        };
        const BYTE* computer = convert(r + kRecordFixedSize);
        convert(computer);
        const BYTE* s = r + readLe32(r + kRecStringOffset);
        for (WORD i = 0, n = readLe16(r + kRecNumStrings); i < n && s < end; ++i)
            s = convert(s);
        ++events;
        at += length; // the benchmark's files are compact backups: their records do not wrap
    }
    std::printf("events=%llu\nchecksum=%llu\n", static_cast<unsigned long long>(events),
                static_cast<unsigned long long>(sum));
    ReportPeakMemory();
    return 0;
}
