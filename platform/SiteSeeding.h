#pragma once
// The first start of the program under an account that has no site yet:
// the user's site is copied from the demo network that the build wrote
// (tools/demosite), so that a new user sees a working program at once.
//
// The program's main calls SeedSiteFrom with the build's demo-site
// directory (the compile definition QV_DEMO_SITE_DIR that
// qv_use_demo_site() in cmake/QvHelpers.cmake gives a target) first of
// all, before anything uses the platform.

#include <string>

namespace platform {

// Copies the site in `demoDirectory` to the user's site directory
// (SiteDirectoryFromEnvironment in UserDirectories.h) when $QUELLVANE_SITE
// is not set (a site named there is used as it is) and the user's site
// directory does not exist or is an empty directory.  Entries of the demo
// directory's root whose names begin with "." (such as the generator's
// marker) are not copied.
//
// The copy is made in a new directory beside the user's site directory
// and then renamed into place, so that the user's site is whole or absent,
// also when two programs start at once.  After a copy the platform forgets
// any site it looked up before (ResetSite), so that its next use loads the
// new one.
//
// True when there was nothing to do or the site was copied; false with the
// reason in `error` when the copy was wanted but could not be made: there
// is no home directory, `demoDirectory` holds no site.ini, or copying
// failed (nothing is left behind then).
bool SeedSiteFrom(const std::string& demoDirectory, std::string& error);

// The same; a failure is reported on the standard error stream.
bool SeedSiteFrom(const std::string& demoDirectory);

} // namespace platform
