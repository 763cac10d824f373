// The library's reader over a backup file, as a whole process: open it,
// fetch every event by index (0 to count-1) as the log window does, and
// free the reader with its events.
//
//   qvspeed_reader FILE

#include "SpeedChild.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvspeed_reader FILE\n");
        return 2;
    }
    try {
        ScopedSystemFunctions bound;
        auto reader = std::make_unique<TNTEventLog>();
        reader->SetBackupFileName(argv[1]);
        ReportMemoryBeforeOpen();
        reader->SetActive(true);
        const int count = reader->GetEventCount();
        int events = 0;
        for (int i = 0; i < count; ++i)
            if (reader->GetEvent(i))
                ++events;
        reader.reset();
        std::printf("events=%d\n", events);
        ReportPeakMemory();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
