#include "Kernel32.h"

#include "SystemRoot.h"

#include <cstring>

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    const std::string root = platform::LocalSystemRoot();
    if (root.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!buffer || size < root.size() + 1)
        return static_cast<UINT>(root.size() + 1); // the size needed, NUL included
    std::memcpy(buffer, root.c_str(), root.size() + 1);
    return static_cast<UINT>(root.size());
}
