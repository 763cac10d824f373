#pragma once
// A folder of a fuzz run's own, for the files that what it fuzzes reads:
// made under TMPDIR (else /tmp) and removed with everything in it when the
// run ends.  A run that cannot make one stops at once.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

class ScratchFolder {
public:
    // The folder's name starts with `prefix`.
    explicit ScratchFolder(const char* prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
