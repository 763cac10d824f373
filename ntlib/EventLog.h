#pragma once
// The event-log reader: one live log (of the local or a remote computer) or
// one backup file, whose events it hands out by index (0 = the oldest)
// through a cache of decoded items.

#include "BrowsReg.h"
#include "CategoryCache.h"
#include "EventCache.h"
#include "EventItem.h"
#include "EventTextPool.h"
#include "MessageFiles.h"
#include "NTCommon.h"

#include "platform/Win32Types.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TNTEventLog;

enum TLogReadMode : std::uint8_t {
    lrmRandom = 0,
    lrmSequential = 1,
};

using TNotifyEvent = std::function<void(TNTEventLog* sender)>;
using TDescriptionNotFound = std::function<void(TNTEventLog* sender, std::string& AMessage)>;

class TNTEventLog : public TNTPersistent {
public:
    TNTEventLog();
    ~TNTEventLog() override;

    bool Active() const { return handle_ != nullptr; }
    void SetActive(bool value);

    const std::string& SourceName() const { return sourceName_; }
    void SetSourceName(const std::string& value) { sourceName_ = value; }
    const std::string& BackupFileName() const { return backupFileName_; }
    void SetBackupFileName(const std::string& value) { backupFileName_ = value; }
    bool IncludeUserName() const { return includeUserName_; }
    void SetIncludeUserName(bool value) { includeUserName_ = value; }
    TLogReadMode LogReadMode() const { return logReadMode_; }
    void SetLogReadMode(TLogReadMode value);

    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent handler);
    const TDescriptionNotFound& OnDescriptionNotFound() const { return onDescriptionNotFound_; }
    void SetOnDescriptionNotFound(TDescriptionNotFound handler) { onDescriptionNotFound_ = std::move(handler); }

    void SetMachineName(const std::string& value) override;
    void Loaded() override;

    // Re-reads the count and the oldest record number from the platform.
    int GetEventCount();
    // The event at an index, or nullptr when the log ended before it.
    TEventItem* GetEvent(int index);
    std::string GetDescription(int index);
    std::string GetCategoryName(const std::string& source, std::uint16_t category);
    // The message-file values of a source's registry key on this reader's
    // computer, with their paths made usable from here.
    TSourceMessageFiles GetSourceMessageFiles(const std::string& source);
    // The same, read once per source while the log is open.
    const TSourceMessageFiles& CachedSourceMessageFiles(const std::string& source);
    void Backup();
    void Clear();
    void GetLogNames(std::vector<std::string>& names);

    int GetCachedEventCount();
    int GetOldestRecord();

    // The account of a SID on this reader's computer; false when unknown.
    bool LookupAccount(const BYTE* sid, std::size_t length, std::string& domain, std::string& name);

    // The number of items the event cache holds.
    std::size_t CachedEventCount() const { return cache_.Count(); }

    // The work size of the read buffer (grows when one record is larger).
    std::size_t ReadBufferSize() const { return bufferSize_; }

private:
    struct WaitState;
    friend class TEventItem;

    // The category texts of the cached items, by pooled source text and
    // category number: a hit costs no allocation and no case folding.
    struct CategoryKey {
        const std::string* source;
        std::uint16_t category;
        bool operator==(const CategoryKey&) const = default;
    };
    struct CategoryKeyHash {
        std::size_t operator()(const CategoryKey& key) const noexcept;
    };

    // The pool's copy of a text of a cached item.
    const std::string& InternText(std::string_view text) { return texts_.Intern(text); }
    const std::string& InternUtf16Text(const BYTE* text, std::size_t bytes) { return texts_.InternUtf16(text, bytes); }
    // "Domain\Name" of a SID, "N/A" when it cannot be looked up.
    std::string LookupAccountText(const BYTE* sid, std::size_t length);
    // The same as a text of the pool; an account found is looked up once
    // per SID while the log is open.
    const std::string& AccountText(const BYTE* sid, std::size_t length);
    // The category text of a cached item whose source text is pooled.
    TEventText CachedCategoryName(const std::string& pooledSource, std::uint16_t category);
    // Lets the cached items and the texts they share go.
    void ClearCache();
    void ForgetCategoryTexts();
    // Lets the message-file values of the sources and the loaded files go.
    void ForgetMessageFiles();

    void OpenLog();
    void OpenBackupLog();
    void CloseLog();
    void CheckSourceName() const;
    void DoChange();
    void StartWaitThread();
    void StopWaitThread();
    void DecodeBatch(const BYTE* buffer, DWORD bytesRead);
    // Reads the records from a read position on as ReadEventLogA batches
    // them, decoded where the cache keeps them; false once the log has no
    // more records in that direction.
    bool ReadRecordsInPlace(DWORD flags, DWORD offset);
    static bool TakeRecord(void* reader, const BYTE* record, DWORD length);
    void DoDescriptionNotFound(std::string& text);
    std::string RemoteSystemRoot();

    std::string sourceName_;
    std::string backupFileName_;
    bool includeUserName_ = true;
    TLogReadMode logReadMode_ = lrmSequential;
    TNotifyEvent onChange_;
    TDescriptionNotFound onDescriptionNotFound_;
    bool activeWhenLoaded_ = false;

    HANDLE handle_ = nullptr;
    HANDLE changeEvent_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    std::shared_ptr<WaitState> wait_;
    // The texts outlive the items that share them.
    TEventTextPool texts_;
    std::unordered_map<CategoryKey, const std::string*, CategoryKeyHash> categoryTexts_;
    // The pairs found last, in front of categoryTexts_.
    struct CategoryMemo {
        CategoryKey key{nullptr, 0};
        const std::string* text = nullptr;
    };
    std::array<CategoryMemo, 64> categoryMemo_{};
    TEventCache cache_;
    TBrowseRegistry registry_;
    TCategoryCache categoryCache_;
    // What descriptions read, kept from opening the log to closing it or to
    // a change of the computer: a changed registry or message file is seen
    // at the next opening.
    std::unordered_map<std::string, TSourceMessageFiles> sourceFiles_;
    // Found by the SID's bytes without copying them.
    struct BytesHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view bytes) const noexcept { return std::hash<std::string_view>()(bytes); }
    };
    std::unordered_map<std::string, const std::string*, BytesHash, std::equal_to<>> accountTexts_;
    TMessageFileCache messageFiles_;
    std::uint8_t readDirection_ = 0; // 0 not chosen, 1 forwards, 2 backwards
    std::int32_t cachedCount_ = -1;
    std::int32_t cachedOldest_ = -1;
    std::size_t bufferSize_ = 16384;
    std::unique_ptr<BYTE[]> buffer_;
    // A backup log whose records the platform hands out in their on-disk
    // form, and what reading them needs.
    bool readsInPlace_ = false;
    std::vector<BYTE> stringRoom_;
    DWORD takeOldest_ = 0;
    std::exception_ptr takeFailure_;
};
