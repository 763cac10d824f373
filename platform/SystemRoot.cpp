#include "SystemRoot.h"

#include "Site.h"

namespace platform {

std::string LocalSystemRoot()
{
    return SystemRootOf(CurrentSite()->LocalComputer());
}

} // namespace platform
