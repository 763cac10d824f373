#pragma once
// One registry hive (a computer's HKEY_LOCAL_MACHINE, the current user's
// HKEY_CURRENT_USER) kept in a registry file (RegistryFile.h), which other
// stores may share: another running copy of the program, or another store
// of this process.
//
// Every use first compares the file's stamp (FileIo.h) with that of the
// version the store holds, and reads the file again when it has changed,
// so that each use sees what any store wrote last; a read costs one stat
// while nothing changes.  A missing file is an empty hive; while the file
// is damaged every use fails with ERROR_BADDB, and the file is never
// written over, so that nothing in it is lost.
//
// A change holds the file's lock (FileLock.h) from reading the file to
// writing it: it is made to the hive as the file holds it then, and written
// at once and atomically, so that no store's change is lost to another's.
// When the lock cannot be had or writing fails, the change is dropped and
// the hive stays as the file has it.  Reads take no lock: the file is only
// ever replaced whole, so a read finds the old or the new version, and a
// folder in which no lock file can be made is still read.
//
// A store without a file lives in memory.  Thread-safe: every use holds the
// store's mutex.

#include "FileIo.h"
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

    // Runs `read` on the hive under the mutex.  ERROR_BADDB when the file is
    // damaged, else what `read` returns.
    DWORD Read(const std::function<DWORD(const RegistryKey& root)>& read);

    // Runs `change` on a copy of the hive as the file holds it now; when it
    // returns ERROR_SUCCESS and says that something changed, the copy is
    // written to the file and becomes the hive.  ERROR_BADDB for a damaged
    // file, ERROR_REGISTRY_IO_FAILED when the file cannot be locked or
    // written for a change (a use that changes nothing needs neither).
    DWORD Modify(const std::function<DWORD(RegistryKey& root, bool& changed)>& change);

    // Empty, or why the file was refused or could not be written last.
    std::string Error();

private:
    // The store's hive made the file's current version; ERROR_BADDB when
    // that is damaged.  With the mutex held.
    DWORD refresh();

    std::mutex mutex_;
    std::string file_;
    std::string rootName_;
    // What the hive was read from: nothing yet, no file, or a file's version.
    enum class Source { None, Missing, File } source_ = Source::None;
    FileStamp stamp_;
    bool damaged_ = false;
    std::string error_;
    RegistryKey root_;
};

} // namespace platform
