#include "RegistryStore.h"

#include "ErrorCodes.h"
#include "RegistryFile.h"

#include <cstdio>

namespace platform {

RegistryStore::RegistryStore(std::string file, std::string rootName)
    : file_(std::move(file))
    , rootName_(std::move(rootName))
{
}

DWORD RegistryStore::ensureLoaded()
{
    if (!loaded_) {
        loaded_ = true;
        if (!file_.empty()) {
            std::string error;
            if (ReadRegistryFile(file_, rootName_, root_, error) == RegistryFileStatus::Damaged) {
                damaged_ = true;
                error_ = error;
                std::fprintf(stderr, "quellvane: registry refused: %s\n", error.c_str());
            }
        }
    }
    return damaged_ ? ERROR_BADDB : ERROR_SUCCESS;
}

DWORD RegistryStore::Read(const std::function<DWORD(const RegistryKey&)>& read)
{
    std::lock_guard lock(mutex_);
    if (const DWORD status = ensureLoaded())
        return status;
    return read(root_);
}

DWORD RegistryStore::Modify(const std::function<DWORD(RegistryKey&, bool&)>& change)
{
    std::lock_guard lock(mutex_);
    if (const DWORD status = ensureLoaded())
        return status;
    RegistryKey copy(root_);
    bool changed = false;
    if (const DWORD status = change(copy, changed))
        return status;
    if (!changed)
        return ERROR_SUCCESS;
    if (!file_.empty()) {
        std::string error;
        if (!WriteRegistryFile(file_, copy, rootName_, error)) {
            error_ = error;
            return ERROR_REGISTRY_IO_FAILED;
        }
    }
    root_ = std::move(copy);
    return ERROR_SUCCESS;
}

std::string RegistryStore::Error()
{
    std::lock_guard lock(mutex_);
    return error_;
}

} // namespace platform
