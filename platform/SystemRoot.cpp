#include "SystemRoot.h"

namespace platform {

std::string LocalSystemRoot()
{
    // FIXME: the computers of the site keep theirs in the registry value
    // "SystemRoot" of "SOFTWARE\Microsoft\Windows NT\CurrentVersion"; until
    // they are there, the local computer has the usual one.
    return "C:\\WINDOWS";
}

} // namespace platform
