#pragma once
// Where the platform finds the site and keeps the current user's registry,
// after the XDG base-directory rules.  Only the platform reads the
// environment; the program itself reads none.

#include <string>

namespace platform {

// $QUELLVANE_SITE when set and not empty; else $XDG_DATA_HOME/quellvane/site
// (when XDG_DATA_HOME is an absolute path), else
// $HOME/.local/share/quellvane/site; empty without a home directory.
std::string SiteDirectoryFromEnvironment();

// True when $QUELLVANE_SITE names the site (so that a missing site is an
// error rather than the normal case).
bool SiteDirectoryGivenExplicitly();

// $XDG_CONFIG_HOME/quellvane/HKCU.reg (when XDG_CONFIG_HOME is an absolute
// path), else $HOME/.config/quellvane/HKCU.reg; empty without a home
// directory.
std::string CurrentUserRegistryFileFromEnvironment();

} // namespace platform
