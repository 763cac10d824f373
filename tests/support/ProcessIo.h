#pragma once
// What this process has done with files so far, as the system counts it.

#include <cstdint>

// The bytes this process has read through read() and its kin so far, from
// files, pipes and the page cache alike (rchar of /proc/self/io).
std::uint64_t BytesReadSoFar();
