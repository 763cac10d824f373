#pragma once
// The message files the build compiles from tests/fixtures/messages, and a
// scratch directory to lay them out as a computer's files.

#include "platform/Win32Types.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fixtures {

inline std::string MessageFile(const std::string& name)
{
    return std::string(QV_MESSAGE_FIXTURES) + "/" + name;
}

inline std::vector<BYTE> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory, removed with everything in it at the end of the scope.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-msg-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            path_ = made;
    }
    ~ScratchDirectory()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

    // Copies a compiled message file to a path below this directory,
    // creating the directories on the way.
    std::string place(const std::string& fixture, const std::string& relative) const
    {
        const std::filesystem::path target = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(MessageFile(fixture), target, std::filesystem::copy_options::overwrite_existing);
        return target.string();
    }

private:
    std::string path_;
};

} // namespace fixtures
