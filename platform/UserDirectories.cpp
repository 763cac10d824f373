#include "UserDirectories.h"

#include <cstdlib>

namespace platform {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The XDG directory in `variable`, else `fallback` below the home directory.
std::string baseDirectory(const char* variable, const char* fallback)
{
    const std::string xdg = environment(variable);
    if (!xdg.empty() && xdg.front() == '/')
        return xdg;
    const std::string home = environment("HOME");
    if (home.empty())
        return {};
    return home + "/" + fallback;
}

} // namespace

std::string SiteDirectoryFromEnvironment()
{
    const std::string site = environment("QUELLVANE_SITE");
    if (!site.empty())
        return site;
    const std::string data = baseDirectory("XDG_DATA_HOME", ".local/share");
    return data.empty() ? std::string() : data + "/quellvane/site";
}

bool SiteDirectoryGivenExplicitly()
{
    return !environment("QUELLVANE_SITE").empty();
}

std::string CurrentUserRegistryFileFromEnvironment()
{
    const std::string config = baseDirectory("XDG_CONFIG_HOME", ".config");
    return config.empty() ? std::string() : config + "/quellvane/HKCU.reg";
}

} // namespace platform
