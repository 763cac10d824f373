#pragma once
// One registry hive (a computer's HKEY_LOCAL_MACHINE, the current user's
// HKEY_CURRENT_USER) kept in a registry file (RegistryFile.h).
//
// The file is read on first use.  A missing file is an empty hive; a
// damaged one makes every use fail with ERROR_BADDB and is never written
// over, so that nothing in it is lost.  Every change is written to the file
// at once and atomically; when writing fails the change is dropped and the
// hive stays as the file has it.  A store without a file lives in memory.
// Thread-safe: every use holds the store's lock.

#include "RegistryKey.h"

#include <functional>
#include <mutex>
#include <string>

namespace platform {

class RegistryStore {
public:
    // `rootName` is the key the file's paths start with ("HKEY_LOCAL_MACHINE").
    RegistryStore(std::string file, std::string rootName);
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::string& File() const { return file_; }
    const std::string& RootName() const { return rootName_; }

    // Runs `read` on the hive under the lock.  ERROR_BADDB when the file is
    // damaged, else what `read` returns.
    DWORD Read(const std::function<DWORD(const RegistryKey& root)>& read);

    // Runs `change` on a copy of the hive; when it returns ERROR_SUCCESS and
    // says that something changed, the copy is written to the file and
    // becomes the hive.  ERROR_BADDB for a damaged file,
    // ERROR_REGISTRY_IO_FAILED when the file cannot be written.
    DWORD Modify(const std::function<DWORD(RegistryKey& root, bool& changed)>& change);

    // Empty, or why the file was refused or could not be written last.
    std::string Error();

private:
    DWORD ensureLoaded(); // with the lock held

    std::mutex mutex_;
    std::string file_;
    std::string rootName_;
    bool loaded_ = false;
    bool damaged_ = false;
    std::string error_;
    RegistryKey root_;
};

} // namespace platform
