#pragma once
// The library's read-only registry reader: opens keys below a root key of
// the local or of a remote computer, lists subkey and value names and reads
// values as text.  It reaches the registry only through the bound functions
// (AdvApi32.h); every failure that matters raises ENTException.

#include "platform/RegistryTypes.h"

#include <string>
#include <vector>

// What RegQueryInfoKeyA tells about a key.
struct TRegKeyInfo {
    DWORD NumSubKeys = 0;
    DWORD MaxSubKeyLen = 0;
    DWORD NumValues = 0;
    DWORD MaxValueLen = 0;
    DWORD MaxDataLen = 0;
    FILETIME FileTime{};
};

class TBrowseRegistry {
public:
    // Root HKEY_LOCAL_MACHINE, access KEY_ENUMERATE_SUB_KEYS.
    TBrowseRegistry();
    // Closes the current key and a connected root.
    ~TBrowseRegistry();
    TBrowseRegistry(const TBrowseRegistry&) = delete;
    TBrowseRegistry& operator=(const TBrowseRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    // Nothing when `key` is the current root; else closes a connected root
    // and makes `key` the root and the predefined root.
    void SetRootKey(HKEY key);

    HKEY CurrentKey() const { return currentKey_; }
    const std::string& CurrentPath() const { return currentPath_; }
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }

    // Opens a key: below the current key for a relative path (one that does
    // not start with "\"), else below the root.  Returns the platform's
    // code; never raises.
    LONG OpenKey(const std::string& path);
    void CloseKey();
    void CloseRootKey();

    // The subkey names of the current key in the platform's order; a
    // failure raises.
    void GetKeyNames(std::vector<std::string>& list);
    // The value names of the current key; an empty list when they cannot be
    // read.
    void GetValueNames(std::vector<std::string>& list);

    // Connects the root to the predefined root of `computer` (empty: the
    // local computer).  Raises on failure, and then leaves the reader
    // without a root (keys do not open) until the next connection or
    // SetRootKey; true otherwise.
    bool RegistryConnect(const std::string& computer);

    // The data of a value of the current key, read with a first buffer of
    // `size` bytes (255 when 0) and, when that is too small, once more with
    // the size the platform asks for.  `size` and `type` receive the value's
    // size and type.  Raises on failure.
    std::vector<BYTE> ReadValueData(const std::string& name, DWORD& size, DWORD& type);

    // A value as text: REG_SZ and REG_EXPAND_SZ up to their NUL (not
    // expanded), REG_DWORD in unsigned decimal, any other type empty.
    std::string ReadString(const std::string& name);

    // Information about the current key; false when it cannot be had.
    bool GetKeyInfo(TRegKeyInfo& info);

protected:
    void ChangeKey(HKEY key, const std::string& path);
    HKEY GetBaseKey(bool relative) const;

private:
    HKEY currentKey_ = nullptr;
    HKEY rootKey_;
    HKEY predefinedRoot_;
    std::string currentPath_;
    bool rootConnected_ = false;
    REGSAM access_ = KEY_ENUMERATE_SUB_KEYS;
};

// False only for a path that starts with "\".
bool IsRelativeKey(const std::string& path);

// The key below `startKey` (under `root` of `computer`, empty: the local
// one) whose subkey is named `source` (any case): depth first, the first in
// the platform's enumeration order wins.  Empty when there is none.
// Raises when the remote registry cannot be connected.
std::string FindSourceLogKey(const std::string& computer, HKEY root, const std::string& startKey,
                             const std::string& source);

// One step of FindSourceLogKey: searches below `key` with `registry`.
std::string SearchSourceKey(TBrowseRegistry& registry, const std::string& key, const std::string& source);

// The names of the event logs of `computer` (empty: the local one), in the
// platform's order; empty when its registry cannot be connected or has no
// event-log key.  Never raises for those.
std::vector<std::string> EventLogNames(const std::string& computer);
