#include "SiteSeeding.h"

#include "Site.h"
#include "UserDirectories.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace platform {
namespace {

bool isEmptyDirectory(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec) && fs::directory_iterator(path, ec) == fs::directory_iterator() && !ec;
}

// Copies the demo site's root into `target` (an empty directory).
bool copySite(const fs::path& demo, const fs::path& target, std::string& error)
{
    std::error_code ec;
    for (fs::directory_iterator it(demo, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() == '.')
            continue;
        fs::copy(it->path(), target / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
        if (ec) {
            error = "cannot copy " + it->path().string() + " to " + (target / name).string() + ": " + ec.message();
            return false;
        }
    }
    if (ec) {
        error = "cannot read " + demo.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

bool SeedSiteFrom(const std::string& demoDirectory, std::string& error)
{
    error.clear();
    if (SiteDirectoryGivenExplicitly())
        return true;
    const std::string directory = SiteDirectoryFromEnvironment();
    if (directory.empty()) {
        error = "there is no home directory to keep the site in";
        return false;
    }
    fs::path site(directory);
    while (!site.empty() && !site.has_filename())
        site = site.parent_path();
    std::error_code ec;
    if (fs::exists(site, ec) && !isEmptyDirectory(site))
        return true;

    const fs::path demo(demoDirectory);
    if (demoDirectory.empty() || !fs::is_regular_file(demo / "site.ini", ec)) {
        error = (demoDirectory.empty() ? std::string("no demo directory") : demoDirectory) +
                ": there is no demo site to start from";
        return false;
    }

    fs::create_directories(site.parent_path(), ec);
    std::string pattern = site.string() + ".seeding-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot create a directory beside " + site.string();
        return false;
    }
    const fs::path building(pattern);
    if (!copySite(demo, building, error)) {
        fs::remove_all(building, ec);
        return false;
    }
    // An empty directory in the way is replaced; a site that another
    // program put there meanwhile stays, and this copy goes.
    fs::rename(building, site, ec);
    if (ec) {
        fs::remove_all(building, ec);
        if (fs::exists(site, ec) && !isEmptyDirectory(site)) {
            ResetSite();
            return true;
        }
        error = "cannot move the new site to " + site.string();
        return false;
    }
    ResetSite();
    return true;
}

bool SeedSiteFrom(const std::string& demoDirectory)
{
    std::string error;
    if (SeedSiteFrom(demoDirectory, error))
        return true;
    std::fprintf(stderr, "quellvane: the user's site cannot be made from the demo network: %s\n", error.c_str());
    return false;
}

} // namespace platform
