#pragma once
// Writes the whole demo network as a site (platform/Site.h): site.ini, the
// README, and for every computer that answers its registry file, its
// accounts, the message files of its event sources and its three live
// logs; on WKS-DEMO also a backup file of an older Application log, with a
// copy in the site's root for "Open Log File".  Every run writes the same
// bytes.

#include <cstdint>
#include <string>

namespace demosite {

// The backup file: C:\Backups\<name> on WKS-DEMO and <site>/<name>.
inline constexpr char kBackupFileName[] = "Application-2024-Q1.evt";
inline constexpr char kBackupDrivePath[] = "C:\\Backups\\Application-2024-Q1.evt";

// The file in a site's root that marks it as written by this tool; only
// such a directory is replaced by a new run.
inline constexpr char kMarkerFileName[] = ".qv-demosite";

// Writes the site into `directory`, which must not exist, be empty or hold
// a demo site written before (which is replaced as a whole).  The site is
// built beside it and renamed into place, so `directory` never holds half
// a site.  `messageDirectory` holds the compiled message files.  False
// with the reason in `error`.
bool WriteDemoSite(const std::string& directory, const std::string& messageDirectory, std::string& error);

} // namespace demosite
