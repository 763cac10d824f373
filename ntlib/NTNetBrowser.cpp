#include "NTNetBrowser.h"

#include "NTException.h"

#include "platform/ErrorCodes.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The work buffer of an enumeration, and the most it may grow to when the
// platform asks for more for one entry.
constexpr std::size_t kEnumBufferSize = 16384;
constexpr std::size_t kParentBufferSize = 255;
constexpr std::size_t kMaxBufferSize = 16 * 1024 * 1024;

constexpr DWORD kAsManyAsFit = 0xFFFFFFFF;

std::string textOf(const char* text)
{
    return text ? std::string(text) : std::string();
}

NETRESOURCEA recordAt(const std::vector<std::byte>& buffer, std::size_t index)
{
    NETRESOURCEA record;
    std::memcpy(&record, buffer.data() + index * sizeof record, sizeof record);
    return record;
}

} // namespace

// --- TNTResourcePerformance ---

void TNTResourcePerformance::Clear()
{
    valid_ = false;
    flags_ = speed_ = delay_ = optDataSize_ = 0;
}

void TNTResourcePerformance::Refresh()
{
    Clear();
    if (!owner_ || !(owner_->Usage() & RESOURCEUSAGE_CONNECTABLE))
        return;
    NETRESOURCEA resource;
    owner_->ToNetResource(resource);
    NETCONNECTINFOSTRUCT info{};
    info.cbStructure = sizeof info;
    const DWORD result = MultinetGetConnectionPerformanceA(&resource, &info);
    if (result != ERROR_SUCCESS) {
        const TNTNetBrowser* browser = owner_->Browser();
        if (!browser || browser->CanRaiseErrors())
            CheckWNetError(result);
        return;
    }
    flags_ = info.dwFlags;
    speed_ = info.dwSpeed;
    delay_ = info.dwDelay;
    optDataSize_ = info.dwOptDataSize;
    valid_ = true;
}

void TNTResourcePerformance::RefreshWhenNotValid()
{
    if (!valid_)
        Refresh();
}

DWORD TNTResourcePerformance::Flags()
{
    RefreshWhenNotValid();
    return flags_;
}

DWORD TNTResourcePerformance::Speed()
{
    RefreshWhenNotValid();
    return speed_;
}

DWORD TNTResourcePerformance::Delay()
{
    RefreshWhenNotValid();
    return delay_;
}

DWORD TNTResourcePerformance::OptDataSize()
{
    RefreshWhenNotValid();
    return optDataSize_;
}

// --- TNTNetResource ---

TNTNetResource::TNTNetResource(TNTNetBrowser* browser)
    : performance_(this)
    , link_(browser ? browser->Link() : nullptr)
{
}

void TNTNetResource::Clear()
{
    displayType_ = scope_ = usage_ = resourceType_ = 0;
    remoteName_.clear();
    localName_.clear();
    provider_.clear();
    comment_.clear();
    Changed();
}

void TNTNetResource::Changed()
{
    performance_.Clear();
    if (onChange_)
        onChange_();
}

void TNTNetResource::Assign(const TNTNetResource& source)
{
    if (&source != this) {
        displayType_ = source.displayType_;
        scope_ = source.scope_;
        usage_ = source.usage_;
        resourceType_ = source.resourceType_;
        remoteName_ = source.remoteName_;
        localName_ = source.localName_;
        provider_ = source.provider_;
        comment_ = source.comment_;
    }
    // The source may be an item of the list that the notification drops:
    // it is not touched after this point.
    Changed();
}

void TNTNetResource::ToNetResource(NETRESOURCEA& record) const
{
    record = NETRESOURCEA{};
    record.dwScope = scope_;
    record.dwType = resourceType_;
    record.dwDisplayType = displayType_;
    record.dwUsage = usage_;
    // The platform only reads through these pointers.
    record.lpLocalName = const_cast<char*>(localName_.c_str());
    record.lpRemoteName = const_cast<char*>(remoteName_.c_str());
    record.lpComment = const_cast<char*>(comment_.c_str());
    record.lpProvider = const_cast<char*>(provider_.c_str());
}

void TNTNetResource::FromNetResource(const NETRESOURCEA& record)
{
    scope_ = record.dwScope;
    resourceType_ = record.dwType;
    displayType_ = record.dwDisplayType;
    usage_ = record.dwUsage;
    localName_ = textOf(record.lpLocalName);
    remoteName_ = textOf(record.lpRemoteName);
    comment_ = textOf(record.lpComment);
    provider_ = textOf(record.lpProvider);
    performance_.Clear();
}

bool TNTNetResource::IsEqual(const TNTNetResource& other) const
{
    return displayType_ == other.displayType_ && scope_ == other.scope_ && usage_ == other.usage_ &&
           resourceType_ == other.resourceType_ && remoteName_ == other.remoteName_ &&
           localName_ == other.localName_ && provider_ == other.provider_ && comment_ == other.comment_;
}

bool TNTNetResource::IsEmpty() const
{
    return displayType_ == 0 && scope_ == 0 && usage_ == 0 && resourceType_ == 0 && remoteName_.empty() &&
           localName_.empty() && provider_.empty() && comment_.empty();
}

// --- TNetResourceList ---

int TNetResourceList::Add(std::unique_ptr<TNTNetResource> resource)
{
    const int index = GetCount();
    Insert(index, std::move(resource));
    return index;
}

// --- TNTNetProviderInfo ---

void TNTNetProviderInfo::Refresh(const std::string& provider)
{
    status_ = version_ = netType_ = 0;
    if (provider.empty())
        return;
    NETINFOSTRUCT info{};
    info.cbStructure = sizeof info;
    const DWORD result = WNetGetNetworkInformationA(provider.c_str(), &info);
    if (result != ERROR_SUCCESS) {
        if (!browser_ || browser_->CanRaiseErrors())
            CheckWNetError(result);
        return;
    }
    status_ = info.dwStatus;
    version_ = info.dwProviderVersion;
    netType_ = static_cast<DWORD>(info.wNetType) << 16;
}

// --- TBrowseProperties ---

void TBrowseProperties::Set(DWORD& field, DWORD value)
{
    if (field == value)
        return;
    field = value;
    if (onChange_)
        onChange_();
}

void TBrowseProperties::Assign(const TBrowseProperties& source)
{
    SetUsage(source.usage_);
    SetScope(source.scope_);
    SetResourceType(source.resourceType_);
}

// --- TNTNetBrowser ---

TNTNetBrowser::TNTNetBrowser()
    : link_(std::make_shared<TNetBrowserLink>(TNetBrowserLink{this}))
    , currentResource_(std::make_unique<TNTNetResource>(this))
    , parentResource_(std::make_unique<TNTNetResource>(this))
    , providerInfo_(std::make_unique<TNTNetProviderInfo>(this))
    , whatToBrowse_(std::make_unique<TBrowseProperties>())
{
    currentResource_->SetOnChange([this] { DropSubResources(); });
    whatToBrowse_->SetOnChange([this] { DropSubResources(); });
}

TNTNetBrowser::~TNTNetBrowser()
{
    CloseEnumQuietly();
    link_->browser = nullptr;
}

void TNTNetBrowser::DropSubResources()
{
    subResources_.reset();
}

void TNTNetBrowser::SetCurrentResource(const TNTNetResource& resource)
{
    if (resource.IsEqual(*currentResource_))
        return;
    currentResource_->Assign(resource);
    DropSubResources();
}

TNetResourceList* TNTNetBrowser::GetSubResources()
{
    if (!subResources_) {
        // A list is kept only when its enumeration did not raise, so that
        // the next read tries again instead of handing out part of a level.
        auto list = std::make_unique<TNetResourceList>(0);
        EnumSubResources(*list);
        subResources_ = std::move(list);
    }
    return subResources_.get();
}

void TNTNetBrowser::EnumSubResources(TNetResourceList& list)
{
    if (!OpenEnum())
        return;
    try {
        ReadEnumeration(list);
    } catch (...) {
        CloseEnumQuietly();
        throw;
    }
    CloseEnum();
}

void TNTNetBrowser::ReadEnumeration(TNetResourceList& list)
{
    // Every pass either takes entries, grows the buffer or ends the walk,
    // so a platform that hands out nothing without ending cannot make it
    // spin.
    const auto stop = [this](const std::string& why) {
        if (CanRaiseErrors())
            RaiseNTError(why, -1);
    };
    std::vector<std::byte> buffer(kEnumBufferSize);
    for (;;) {
        DWORD count = kAsManyAsFit;
        DWORD size = static_cast<DWORD>(buffer.size());
        std::fill(buffer.begin(), buffer.end(), std::byte{0});
        const DWORD result = WNetEnumResourceA(enumHandle_, &count, buffer.data(), &size);
        if (result != ERROR_SUCCESS && result != ERROR_NO_MORE_ITEMS && result != ERROR_MORE_DATA) {
            if (CanRaiseErrors())
                CheckWNetError(result);
            return;
        }
        if (count > buffer.size() / sizeof(NETRESOURCEA))
            return stop("The network enumeration returned more entries than its buffer holds");
        for (DWORD i = 0; i < count; ++i) {
            auto resource = std::make_unique<TNTNetResource>(this);
            resource->FromNetResource(recordAt(buffer, i));
            list.Add(std::move(resource));
        }
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        if (result == ERROR_MORE_DATA && size > buffer.size()) {
            if (size > kMaxBufferSize)
                return stop("The network enumeration asked for a buffer of " + std::to_string(size) + " bytes");
            buffer.resize(size);
        } else if (count == 0) {
            return stop("The network enumeration returned no entries and did not end");
        }
    }
}

bool TNTNetBrowser::OpenEnum()
{
    CloseEnumQuietly(); // a handle left by an enumeration that was not closed
    const DWORD scope = whatToBrowse_->Scope();
    const bool fromTop = currentResource_->IsEmpty() || scope == RESOURCE_CONNECTED || scope == RESOURCE_REMEMBERED;
    NETRESOURCEA start;
    currentResource_->ToNetResource(start);
    HANDLE handle = nullptr;
    const DWORD result = WNetOpenEnumA(scope, whatToBrowse_->ResourceType(), whatToBrowse_->Usage(),
                                       fromTop ? nullptr : &start, &handle);
    if (result == ERROR_SUCCESS)
        enumHandle_ = handle;
    else if (CanRaiseErrors())
        CheckWNetError(result);
    return enumHandle_ != nullptr;
}

bool TNTNetBrowser::CloseEnum()
{
    if (!enumHandle_)
        return false;
    const DWORD result = WNetCloseEnum(std::exchange(enumHandle_, nullptr));
    if (result != ERROR_SUCCESS && CanRaiseErrors())
        CheckWNetError(result);
    return result == ERROR_SUCCESS;
}

void TNTNetBrowser::CloseEnumQuietly() noexcept
{
    if (enumHandle_)
        WNetCloseEnum(std::exchange(enumHandle_, nullptr));
}

TNTNetResource& TNTNetBrowser::GetParentResource()
{
    parentResource_->Clear();
    NETRESOURCEA resource;
    currentResource_->ToNetResource(resource);
    std::vector<std::byte> buffer(kParentBufferSize);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD result = WNetGetResourceParentA(&resource, buffer.data(), &size);
    if (result == ERROR_MORE_DATA && size > buffer.size() && size <= kMaxBufferSize) {
        buffer.assign(size, std::byte{0});
        result = WNetGetResourceParentA(&resource, buffer.data(), &size);
    }
    CheckWNetError(result);
    parentResource_->FromNetResource(recordAt(buffer, 0));
    return *parentResource_;
}

void TNTNetBrowser::SetProviderName(const std::string& name)
{
    if (name == providerName_)
        return;
    providerName_ = name;
    providerInfo_->Refresh(name);
}
