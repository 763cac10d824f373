#pragma once
// Account names of security identifiers (SIDs): the lookup on a computer,
// the process-wide cache of its answers, and the SID's text form for SIDs
// that no account maps to.
//
// A SID is a block of bytes in the platform's binary layout.  The functions
// take the block with its size and refuse (ERROR_INVALID_SID) a block too
// short for the SID that its header announces, since the blocks come from
// event records.

#include "ObjList.h"

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>
#include <vector>

// One cache entry: a SID and the account it maps to.
class TSidHolder {
public:
    // Replaces the SID (no bytes, or a length of 0 or less, leave it empty)
    // and stores the names.
    void SetData(const BYTE* sid, std::int32_t length, const std::string& domain, const std::string& name);

    const BYTE* Sid() const { return sid_.empty() ? nullptr : sid_.data(); }
    std::int32_t SidLength() const { return static_cast<std::int32_t>(sid_.size()); }
    const std::string& Name() const { return name_; }
    const std::string& Domain() const { return domain_; }

private:
    std::vector<BYTE> sid_;
    std::string name_;
    std::string domain_;
};

// The shorter SID sorts first; SIDs of one length by their first differing
// byte, unsigned.
int CompareSids(const TSidHolder* entry, const TSidHolder* key);
// By upper-cased "DOMAIN\NAME", ordinally.
int CompareAccountNames(const TSidHolder* entry, const TSidHolder* key);

// Every account ever looked up, by SID; entries are never removed or
// replaced.  Used from the GUI thread only.
class TSidStore {
public:
    TSidStore() = default;
    TSidStore(const TSidStore&) = delete;
    TSidStore& operator=(const TSidStore&) = delete;

    void Add(const BYTE* sid, std::int32_t length, const std::string& domain, const std::string& name);
    // Empties both outputs, then fills them when the SID is known.
    bool Find(const BYTE* sid, std::int32_t length, std::string& domain, std::string& name);
    int Count() const { return bySid_.GetCount(); }

private:
    TSidHolder searchKey_;
    TObjectList<TSidHolder> bySid_{0, true};
    // Kept in step with the SIDs on every addition; nobody searches it yet.
    TObjectList<TSidHolder> byAccount_{0, false};
};

// The process's one store.
TSidStore& SidStore();

// The account of a SID as `computer` knows it (empty for the local
// computer; with or without leading backslashes), through the process's
// store: a SID seen before, from any computer, is answered from it.  A SID
// that no account maps to gives true with an empty domain and the SID's
// text form as name, and is not stored.  LocalSystem (S-1-5-18) is given
// with an empty domain.  Other failures give false with the platform's
// code as the last error.  Raises ENTException only when the platform's
// functions are not bound.
bool LookupAccountBySid(const std::string& computer, const BYTE* sid, std::size_t sidSize, std::string& name,
                        std::string& domain);
// The same with a store of the caller's.
bool LookupAccountBySid(TSidStore& store, const std::string& computer, const BYTE* sid, std::size_t sidSize,
                        std::string& name, std::string& domain);

// How a lookup was answered.
enum class TAccountAnswer : std::uint8_t {
    Found,     // an account maps to the SID (it is in the store)
    NotMapped, // no account maps to it: the name is the SID's text form
    Failed,    // no answer: the platform's code is the last error
};
// LookupAccountBySid, telling the answer: true is Found or NotMapped.
TAccountAnswer LookupAccountOfSid(TSidStore& store, const std::string& computer, const BYTE* sid, std::size_t sidSize,
                                  std::string& name, std::string& domain);

// The text form of a SID, "S-1-5-21-...-500": the platform's conversion on
// Windows 2000, else formed here the same way (an identifier authority of
// 2^32 or more as "0x" and twelve hexadecimal digits).  False, with an empty
// text, for a SID that is not valid.
bool SidToString(const BYTE* sid, std::size_t sidSize, std::string& text);
