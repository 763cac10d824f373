#include "ProcessIo.h"

#include <fstream>
#include <string>

std::uint64_t BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string name;
    std::uint64_t value = 0;
    while (io >> name >> value)
        if (name == "rchar:")
            return value;
    return 0;
}
