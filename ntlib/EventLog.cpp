#include "EventLog.h"

#include "AdvApi32.h"
#include "FunctionBinding.h"
#include "NTException.h"
#include "SidStore.h"
#include "TextHelpers.h"

#include "platform/ErrorCodes.h"
#include "platform/EventLogService.h"
#include "platform/Kernel32.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <exception>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// "Domain\Name" of an account that a lookup answered, "N/A" when it did not.
std::string accountTextOf(bool answered, const std::string& domain, const std::string& name)
{
    return answered ? domain + "\\" + name : std::string("N/A");
}

constexpr std::size_t kBatchSize = 16384;
// Records a read in place hands out at most: about as many as a batch of
// ReadEventLogA holds.
constexpr DWORD kRecordsPerRead = 64;

std::string formatted(const char* format, int value)
{
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

// ---------------------------------------------------------------- wait thread

// What the wait thread shares with its reader.  The thread never touches the
// reader itself: a change is posted to the GUI thread, which finds the
// reader through `owner` only while the reader is alive (the reader clears
// it, on the GUI thread, before it goes away).
struct TNTEventLog::WaitState {
    TNTEventLog* owner = nullptr;             // GUI thread only
    std::atomic<bool> hasOnChange = false;    // read by the wait thread
    std::atomic<bool> terminated = false;
    std::thread thread;
    std::future<void> finished;
};

namespace {

void waitThreadLoop(const std::shared_ptr<std::atomic<bool>>& terminated,
                    const std::shared_ptr<std::atomic<bool>>& hasOnChange, HANDLE changeEvent, HANDLE stopEvent,
                    std::function<void()> postChange)
{
    const HANDLE handles[] = {changeEvent, stopEvent};
    for (;;) {
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (terminated->load())
            return;
        if (result == WAIT_TIMEOUT)
            continue;
        if (result != WAIT_OBJECT_0)
            return; // the stop event, or a failed wait: either way the thread ends
        if (hasOnChange->load())
            postChange();
    }
}

} // namespace

// ---------------------------------------------------------------- TNTEventLog

TNTEventLog::TNTEventLog()
    : wait_(std::make_shared<WaitState>())
{
    wait_->owner = this;
    registry_.SetAccess(KEY_READ);
    changeEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    stopEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

TNTEventLog::~TNTEventLog()
{
    try {
        if (Active())
            SetActive(false);
    } catch (const ENTException&) {
        // A log that cannot be closed is let go with the reader.
    }
    wait_->owner = nullptr;
    StopWaitThread();
    CloseHandle(changeEvent_);
    CloseHandle(stopEvent_);
}

void TNTEventLog::StartWaitThread()
{
    if (wait_->thread.joinable())
        return;
    std::promise<void> done;
    wait_->finished = done.get_future();
    auto terminated = std::shared_ptr<std::atomic<bool>>(wait_, &wait_->terminated);
    auto hasOnChange = std::shared_ptr<std::atomic<bool>>(wait_, &wait_->hasOnChange);
    std::weak_ptr<WaitState> weak = wait_;
    auto postChange = [weak]() {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [weak]() {
                if (auto state = weak.lock(); state && state->owner)
                    state->owner->DoChange();
            },
            Qt::QueuedConnection);
    };
    const HANDLE change = changeEvent_;
    const HANDLE stop = stopEvent_;
    wait_->thread = std::thread([terminated, hasOnChange, change, stop, postChange, p = std::move(done)]() mutable {
        waitThreadLoop(terminated, hasOnChange, change, stop, postChange);
        p.set_value();
    });
}

void TNTEventLog::StopWaitThread()
{
    if (!wait_->thread.joinable())
        return;
    wait_->terminated = true;
    SetEvent(stopEvent_);
    if (wait_->finished.wait_for(std::chrono::milliseconds(500)) == std::future_status::ready)
        wait_->thread.join();
    else
        wait_->thread.detach(); // it holds only shared state, never the reader
}

void TNTEventLog::SetOnChange(TNotifyEvent handler)
{
    onChange_ = std::move(handler);
    wait_->hasOnChange = static_cast<bool>(onChange_);
}

void TNTEventLog::Loaded()
{
    TNTPersistent::Loaded();
    StartWaitThread();
    if (activeWhenLoaded_) {
        activeWhenLoaded_ = false;
        SetActive(true);
    }
}

void TNTEventLog::DoChange()
{
    cachedCount_ = -1;
    cachedOldest_ = -1;
    if (onChange_)
        onChange_(this);
}

void TNTEventLog::SetActive(bool value)
{
    if (value == (IsLoading() ? activeWhenLoaded_ : Active()))
        return;
    cachedCount_ = -1;
    cachedOldest_ = -1;
    if (IsLoading()) {
        activeWhenLoaded_ = value;
        return;
    }
    ForgetMessageFiles();
    accountTexts_.clear();
    if (value) {
        if (!ntlib::Trimmed(backupFileName_).empty())
            OpenBackupLog();
        else
            OpenLog();
    } else {
        CloseLog();
    }
}

void TNTEventLog::CheckSourceName() const
{
    if (sourceName_.empty())
        RaiseNTError("Unknown SourceName", -1);
}

void TNTEventLog::OpenLog()
{
    if (IsLoading())
        return;
    CheckSourceName();
    const char* server = MachineName().empty() ? nullptr : MachineName().c_str();
    SetLastError(0);
    HANDLE h = OpenEventLogA(server, sourceName_.c_str());
    if (!h)
        RaiseLastNTError();
    if (!h)
        RaiseNTError(FormatSystemError(ERROR_INVALID_HANDLE), static_cast<std::int32_t>(ERROR_INVALID_HANDLE));
    if (MachineName().empty() && IsWinNT()) {
        SetLastError(0);
        if (!NotifyChangeEventLog(h, changeEvent_)) {
            const DWORD code = GetLastError();
            CloseEventLog(h);
            SetLastError(code);
            RaiseLastNTError();
        }
    }
    handle_ = h;
}

void TNTEventLog::OpenBackupLog()
{
    const char* server = MachineName().empty() ? nullptr : MachineName().c_str();
    SetLastError(0);
    HANDLE h = OpenBackupEventLogA(server, backupFileName_.empty() ? nullptr : backupFileName_.c_str());
    if (!h)
        RaiseLastNTError();
    if (!h)
        RaiseNTError(FormatSystemError(ERROR_INVALID_HANDLE), static_cast<std::int32_t>(ERROR_INVALID_HANDLE));
    handle_ = h;
    readsInPlace_ = CanReadEventLogRecords();
    try {
        registry_.RegistryConnect(MachineName());
    } catch (...) {
        CloseEventLog(handle_);
        handle_ = nullptr;
        throw;
    }
}

void TNTEventLog::ClearCache()
{
    cache_.Clear();
    ForgetCategoryTexts();
    accountTexts_.clear(); // its texts are the pool's
    texts_.Clear();
}

std::size_t TNTEventLog::CategoryKeyHash::operator()(const CategoryKey& key) const noexcept
{
    return (reinterpret_cast<std::uintptr_t>(key.source) >> 4) ^ (std::size_t{key.category} * 0x9E3779B97F4A7C15ull);
}

TEventText TNTEventLog::CachedCategoryName(const std::string& pooledSource, std::uint16_t category)
{
    const CategoryKey key{&pooledSource, category};
    CategoryMemo& memo = categoryMemo_[CategoryKeyHash()(key) % categoryMemo_.size()];
    if (memo.text && memo.key == key)
        return TEventText::Shared(*memo.text);
    const std::string* text = nullptr;
    if (const auto it = categoryTexts_.find(key); it != categoryTexts_.end()) {
        text = it->second;
    } else {
        text = &texts_.Intern(GetCategoryName(pooledSource, category));
        categoryTexts_.emplace(key, text);
    }
    memo = {key, text};
    return TEventText::Shared(*text);
}

void TNTEventLog::ForgetCategoryTexts()
{
    categoryTexts_.clear();
    categoryMemo_.fill({});
}

void TNTEventLog::ForgetMessageFiles()
{
    sourceFiles_.clear();
    messageFiles_.Clear();
}

void TNTEventLog::CloseLog()
{
    ClearCache();
    readDirection_ = 0;
    readsInPlace_ = false;
    if (!handle_)
        return;
    SetLastError(0);
    if (!CloseEventLog(handle_))
        RaiseLastNTError();
    handle_ = nullptr;
}

void TNTEventLog::SetLogReadMode(TLogReadMode value)
{
    if (Active())
        RaiseNTError("Cannot change log access mode while active", 0);
    logReadMode_ = value;
}

void TNTEventLog::SetMachineName(const std::string& value)
{
    if (value != MachineName()) {
        categoryCache_.Clear();
        ForgetCategoryTexts();
        // Descriptions come from the registry and the message files of the
        // computer named now.  The accounts found stay: a SID is the same
        // account whichever computer answered for it.
        ForgetMessageFiles();
    }
    TNTPersistent::SetMachineName(value);
    registry_.RegistryConnect(value);
}

int TNTEventLog::GetEventCount()
{
    if (!Active())
        return 0;
    DWORD count = 0;
    SetLastError(0);
    if (!GetNumberOfEventLogRecords(handle_, &count))
        RaiseLastNTError();
    cachedCount_ = static_cast<std::int32_t>(count);
    DWORD oldest = 0;
    SetLastError(0);
    if (!GetOldestEventLogRecord(handle_, &oldest))
        RaiseLastNTError();
    cachedOldest_ = static_cast<std::int32_t>(oldest);
    cache_.Reserve(oldest, count);
    return cachedCount_;
}

int TNTEventLog::GetCachedEventCount()
{
    if (cachedCount_ < 0)
        cachedCount_ = GetEventCount();
    return cachedCount_;
}

int TNTEventLog::GetOldestRecord()
{
    if (cachedOldest_ < 0)
        GetEventCount();
    return cachedOldest_;
}

void TNTEventLog::DecodeBatch(const BYTE* buffer, DWORD bytesRead)
{
    const std::size_t end = std::min<std::size_t>(bytesRead, bufferSize_);
    const auto oldest = static_cast<DWORD>(GetOldestRecord());
    std::size_t position = 0;
    // The platform's read position is past the whole batch already: a record
    // that fails to decode must not cost the records after it, so they are
    // decoded and cached before the failure is raised.
    std::exception_ptr firstFailure;
    while (position + sizeof(DWORD) <= end) {
        DWORD length;
        std::memcpy(&length, buffer + position, sizeof length);
        if (length == 0)
            break;
        TEventItem& item = cache_.NewItem(this);
        try {
            item.Decode(buffer + position, end - position, oldest, &cache_);
            cache_.KeepNewest();
        } catch (const ENTException&) {
            cache_.DropNewest();
            const bool lengthIsSound = length >= sizeof(EVENTLOGRECORD) && length <= end - position;
            if (!lengthIsSound)
                throw; // nothing after it can be found
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
        position += length;
    }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

bool TNTEventLog::ReadRecordsInPlace(DWORD flags, DWORD offset)
{
    takeOldest_ = static_cast<DWORD>(GetOldestRecord());
    takeFailure_ = nullptr;
    DWORD taken = 0;
    SetLastError(0);
    const BOOL read = ReadEventLogRecords(handle_, flags, offset, kRecordsPerRead, &TNTEventLog::TakeRecord, this,
                                          &taken);
    const DWORD code = read ? ERROR_SUCCESS : GetLastError();
    // As with a batch of ReadEventLogA, the records after one that failed
    // to decode were taken before the failure is raised.
    if (takeFailure_)
        std::rethrow_exception(std::exchange(takeFailure_, nullptr));
    if (code == ERROR_NOT_SUPPORTED) {
        readsInPlace_ = false; // read with ReadEventLogA from now on
        return true;
    }
    if (code == ERROR_HANDLE_EOF)
        return false;
    if (code != ERROR_SUCCESS)
        RaiseNTError(FormatSystemError(code), static_cast<std::int32_t>(code));
    return taken != 0;
}

bool TNTEventLog::TakeRecord(void* reader, const BYTE* record, DWORD length)
{
    TNTEventLog& self = *static_cast<TNTEventLog*>(reader);
    try {
        TEventItem& item = self.cache_.NewItem(&self);
        bool sound = false;
        try {
            sound = item.DecodeOnDisk(record, length, self.takeOldest_, self.cache_, self.stringRoom_);
        } catch (...) {
            self.cache_.DropNewest();
            throw;
        }
        if (!sound) {
            self.cache_.DropNewest();
            return false; // the platform fails the read as for a damaged record
        }
        self.cache_.KeepNewest();
        return true;
    } catch (const ENTException&) {
        // A record that cannot be decoded costs no other record.
        if (!self.takeFailure_)
            self.takeFailure_ = std::current_exception();
        return true;
    } catch (...) {
        if (!self.takeFailure_)
            self.takeFailure_ = std::current_exception();
        return false;
    }
}

TEventItem* TNTEventLog::GetEvent(int index)
{
    const int count = GetCachedEventCount();
    if (count < 0 || index >= count || index < 0)
        RaiseNTError(formatted("The event %d is not available at server any more.", index), -1);

    const DWORD record = static_cast<DWORD>(index) + static_cast<DWORD>(GetOldestRecord());
    if (TEventItem* cached = cache_.Find(record))
        return cached;

    DWORD flags = 0;
    DWORD offset = 0;
    if (logReadMode_ == lrmSequential) {
        if (readDirection_ == 0)
            readDirection_ = (count / 2 < index) ? 2 : 1;
        flags = readDirection_ == 1 ? (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ)
                                    : (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ);
    } else {
        readDirection_ = 1;
        cache_.Clear(); // the items go; the texts they shared stay for the next ones
        flags = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
        offset = record;
    }

    while (readsInPlace_) {
        if (!ReadRecordsInPlace(flags, offset))
            return cache_.Find(record);
        if (TEventItem* item = cache_.Find(record))
            return item;
        if (logReadMode_ == lrmRandom)
            return nullptr; // the seek read did not give the record: the log changed under us
    }

    // The work buffer is kept for the reader's life.  It is not zeroed
    // between reads: only the bytes a read reports are looked at.
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<BYTE[]>(bufferSize_);
    for (;;) {
        DWORD bytesRead = 0;
        DWORD bytesNeeded = 0;
        SetLastError(0);
        if (!ReadEventLogA(handle_, flags, offset, buffer_.get(), static_cast<DWORD>(bufferSize_), &bytesRead,
                           &bytesNeeded)) {
            const DWORD code = GetLastError();
            if (code == ERROR_HANDLE_EOF)
                break;
            if (code != ERROR_INSUFFICIENT_BUFFER)
                RaiseNTError(FormatSystemError(code), static_cast<std::int32_t>(code));
            // One record is larger than the buffer: grow it to the size
            // needed and keep that size from now on.
            bufferSize_ = std::max<std::size_t>(bytesNeeded, kBatchSize);
            buffer_ = std::make_unique_for_overwrite<BYTE[]>(bufferSize_);
            bytesRead = 0;
            SetLastError(0);
            if (!ReadEventLogA(handle_, flags, offset, buffer_.get(), static_cast<DWORD>(bufferSize_), &bytesRead,
                               &bytesNeeded)) {
                if (GetLastError() == ERROR_HANDLE_EOF)
                    break;
                RaiseLastNTError();
                break;
            }
        }
        if (bytesRead == 0)
            break; // nothing more to read: the end of the log
        DecodeBatch(buffer_.get(), bytesRead);
        if (cache_.Find(record))
            break;
        if (logReadMode_ == lrmRandom)
            break; // the seek read did not give the record: the log changed under us
    }
    return cache_.Find(record);
}

std::string TNTEventLog::GetDescription(int index)
{
    TEventItem* item = GetEvent(index);
    if (!item)
        return {}; // the log ended before the event: nothing to describe
    std::string text;
    const std::vector<std::string> strings = item->Strings.ToVector();
    const bool found = !item->Source.empty() &&
                       FormatEventDescription(item->EventID, CachedSourceMessageFiles(item->Source), strings, text,
                                              &messageFiles_);
    if (!found) {
        text = FormatMissingDescription(item->EventID, item->Source, strings);
        DoDescriptionNotFound(text);
    }
    return text;
}

void TNTEventLog::DoDescriptionNotFound(std::string& text)
{
    if (!onDescriptionNotFound_)
        return;
    std::string rewritten = text;
    try {
        onDescriptionNotFound_(this, rewritten);
        text = rewritten;
    } catch (const std::exception& e) {
        // The handler's failure is shown and goes no further; the text is
        // what the handler had made of it when it failed.
        text = rewritten;
        ReportError(e.what(), "Error");
    }
}

std::string TNTEventLog::GetCategoryName(const std::string& source, std::uint16_t category)
{
    return ResolveCategoryName(categoryCache_, source, category, [&] { return GetSourceMessageFiles(source); });
}

std::string TNTEventLog::RemoteSystemRoot()
{
    const LONG code = registry_.OpenKey("\\Software\\Microsoft\\Windows NT\\CurrentVersion");
    if (code != ERROR_SUCCESS)
        RaiseNTError(FormatSystemError(static_cast<DWORD>(code)), code);
    std::string root;
    try {
        root = registry_.ReadString("SystemRoot");
    } catch (...) {
        registry_.CloseKey();
        throw;
    }
    registry_.CloseKey();
    return root;
}

const TSourceMessageFiles& TNTEventLog::CachedSourceMessageFiles(const std::string& source)
{
    const auto known = sourceFiles_.find(source);
    if (known != sourceFiles_.end())
        return known->second;
    return sourceFiles_.emplace(source, GetSourceMessageFiles(source)).first->second;
}

TSourceMessageFiles TNTEventLog::GetSourceMessageFiles(const std::string& source)
{
    TSourceMessageFiles files;
    const std::string logKey =
        FindSourceLogKey(MachineName(), HKEY_LOCAL_MACHINE, SourceLogSearchStart(source), source);
    if (logKey.empty())
        return files;
    if (registry_.OpenKey("\\" + logKey + "\\" + source) == ERROR_SUCCESS) {
        try {
            std::vector<std::string> names;
            registry_.GetValueNames(names);
            for (const std::string& name : names)
                files.push_back(TMessageFileEntry{name, registry_.ReadString(name)});
        } catch (...) {
            registry_.CloseKey();
            throw;
        }
        registry_.CloseKey();
    }
    if (MachineName().empty())
        ResolveMessageFilePaths(files, MachineName(), [] { return GetLocalSystemRoot(); });
    else
        ResolveMessageFilePaths(files, MachineName(), [this] { return RemoteSystemRoot(); });
    return files;
}

bool TNTEventLog::LookupAccount(const BYTE* sid, std::size_t length, std::string& domain, std::string& name)
{
    return LookupAccountBySid(MachineName(), sid, length, name, domain);
}

std::string TNTEventLog::LookupAccountText(const BYTE* sid, std::size_t length)
{
    std::string domain, name;
    const bool answered = LookupAccount(sid, length, domain, name);
    return accountTextOf(answered, domain, name);
}

const std::string& TNTEventLog::AccountText(const BYTE* sid, std::size_t length)
{
    const std::string_view key(reinterpret_cast<const char*>(sid), length);
    const auto known = accountTexts_.find(key);
    if (known != accountTexts_.end())
        return *known->second;
    std::string domain, name;
    const TAccountAnswer answer = LookupAccountOfSid(SidStore(), MachineName(), sid, length, name, domain);
    const std::string& pooled = InternText(accountTextOf(answer != TAccountAnswer::Failed, domain, name));
    // Only an account found is kept.  A SID that no account maps to, and a
    // computer that did not answer, are asked again for the next event: the
    // account may be made, the computer may be back.
    if (answer == TAccountAnswer::Found)
        accountTexts_.emplace(std::string(key), &pooled);
    return pooled;
}

void TNTEventLog::Backup()
{
    SetLastError(0);
    if (!BackupEventLogA(handle_, backupFileName_.c_str()))
        RaiseLastNTError();
}

void TNTEventLog::Clear()
{
    SetLastError(0);
    if (!ClearEventLogA(handle_, nullptr))
        RaiseLastNTError();
}

void TNTEventLog::GetLogNames(std::vector<std::string>& names)
{
    names = EventLogNames(MachineName());
}
