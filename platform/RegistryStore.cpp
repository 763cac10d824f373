#include "RegistryStore.h"

#include "ErrorCodes.h"
#include "FileLock.h"
#include "RegistryFile.h"

#include <cerrno>
#include <cstdio>

namespace platform {

RegistryStore::RegistryStore(std::string file, std::string rootName)
    : file_(std::move(file))
    , rootName_(std::move(rootName))
{
}

DWORD RegistryStore::refresh()
{
    if (file_.empty()) {
        source_ = Source::File; // the hive in memory is all there is
        return ERROR_SUCCESS;
    }
    FileStamp now;
    const int statError = StampOfFile(file_, now);
    if (statError == 0 && source_ == Source::File && now == stamp_)
        return damaged_ ? ERROR_BADDB : ERROR_SUCCESS;
    if (statError == ENOENT && source_ == Source::Missing)
        return ERROR_SUCCESS;

    // The stamp is the one taken before reading: should the file change
    // meanwhile, the next use reads it once more.
    RegistryKey read(root_.Name());
    std::string error;
    switch (ReadRegistryFile(file_, rootName_, read, error)) {
    case RegistryFileStatus::Loaded:
        root_ = std::move(read);
        damaged_ = false;
        source_ = statError == 0 ? Source::File : Source::None;
        break;
    case RegistryFileStatus::Missing:
        root_ = RegistryKey(root_.Name());
        damaged_ = false;
        source_ = Source::Missing;
        break;
    case RegistryFileStatus::Damaged:
        if (!damaged_ || error != error_)
            std::fprintf(stderr, "quellvane: registry refused: %s\n", error.c_str());
        damaged_ = true;
        error_ = error;
        source_ = statError == 0 ? Source::File : Source::None;
        break;
    }
    stamp_ = now;
    return damaged_ ? ERROR_BADDB : ERROR_SUCCESS;
}

DWORD RegistryStore::Read(const std::function<DWORD(const RegistryKey&)>& read)
{
    std::lock_guard guard(mutex_);
    if (const DWORD status = refresh())
        return status;
    return read(root_);
}

DWORD RegistryStore::Modify(const std::function<DWORD(RegistryKey&, bool&)>& change)
{
    std::lock_guard guard(mutex_);
    FileLock lock;
    std::string lockFailure;
    if (!file_.empty()) {
        // The lock guards the file that is replaced: a link's target.
        std::string target;
        int linkError = 0;
        if (!FinalLinkTarget(file_, target, linkError))
            target = file_; // writing reports the link's fault
        lock.Acquire(LockFileFor(target), lockFailure);
    }
    if (const DWORD status = refresh())
        return status;
    RegistryKey copy(root_);
    bool changed = false;
    if (const DWORD status = change(copy, changed))
        return status;
    if (!changed)
        return ERROR_SUCCESS; // no lock needed: a key opened where none may be written
    if (!file_.empty() && !lock.IsHeld()) {
        error_ = lockFailure;
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (!file_.empty()) {
        std::string error;
        FileStamp written;
        if (!WriteRegistryFile(file_, copy, rootName_, error, RegistryFileEncoding::Utf16LE, &written)) {
            error_ = error;
            return ERROR_REGISTRY_IO_FAILED;
        }
        stamp_ = written;
        source_ = Source::File;
    }
    root_ = std::move(copy);
    return ERROR_SUCCESS;
}

std::string RegistryStore::Error()
{
    std::lock_guard guard(mutex_);
    return error_;
}

} // namespace platform
