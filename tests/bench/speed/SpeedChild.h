#pragma once
// What the programs that the speed benchmark times tell it on their
// standard output, one "name=value" line each.

#include <cstdio>
#include <cstdlib>
#include <cstring>

// A memory figure of this process in KiB: "VmRSS" (resident now) or
// "VmHWM" (the most it was resident).
inline long MemoryKiB(const char* field)
{
    long kib = -1;
    const std::size_t n = std::strlen(field);
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0 && line[n] == ':')
                kib = std::atol(line + n + 1);
        std::fclose(f);
    }
    return kib;
}

// Called just before the file is opened: the benchmark counts the memory
// the reading takes from here.
inline void ReportMemoryBeforeOpen()
{
    std::printf("rss_before_kib=%ld\n", MemoryKiB("VmRSS"));
}

// Called at the end: the peak of the whole process.  (The peak that the
// parent learns from wait4 would start from the parent's own.)
inline void ReportPeakMemory()
{
    std::printf("rss_peak_kib=%ld\n", MemoryKiB("VmHWM"));
}
