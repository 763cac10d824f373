#pragma once
// The network browser: walks the network neighbourhood one level at a
// time.  Given a current resource (none: the top of the network, else a
// provider, a domain, a server or a share) it lists the resources below it,
// finds the resource above it, and reports information about a network
// provider and the expected performance of a connectable resource.
// Failures of the platform's network functions raise ENTException through
// CheckWNetError, except while a browser is being loaded.

#include "ObjList.h"

#include "platform/Mpr.h"
#include "platform/Win32Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TNTNetBrowser;
class TNTNetResource;

// How resources made by a browser reach it: the browser clears the link
// when it is destroyed, so a resource that outlives its browser (in a list
// of the caller's) finds no browser instead of a freed one.
struct TNetBrowserLink {
    TNTNetBrowser* browser = nullptr;
};

// The expected performance of a connection to a resource, read from the
// platform on first use after every change of the resource.
class TNTResourcePerformance {
public:
    explicit TNTResourcePerformance(TNTNetResource* owner = nullptr)
        : owner_(owner)
    {
    }

    // Each refreshes first when the values are not valid.
    DWORD Flags();
    DWORD Speed();
    DWORD Delay();
    DWORD OptDataSize();

    bool Valid() const { return valid_; }
    // Reads the values for the owner resource.  Without an owner, or for a
    // resource without the connectable usage, the values are 0 and not
    // valid, and the platform is not asked.
    void Refresh();
    // Values 0, not valid.
    void Clear();

private:
    void RefreshWhenNotValid();

    TNTNetResource* owner_;
    bool valid_ = false;
    DWORD flags_ = 0;
    DWORD speed_ = 0;
    DWORD delay_ = 0;
    DWORD optDataSize_ = 0;
};

// One network resource: the fields of the platform's NETRESOURCE.
class TNTNetResource {
public:
    using TChangeNotification = std::function<void()>;

    // `browser` (or null) is the browser that made the resource; its
    // loading state decides whether a failed performance query raises.
    explicit TNTNetResource(TNTNetBrowser* browser = nullptr);
    TNTNetResource(const TNTNetResource&) = delete;
    TNTNetResource& operator=(const TNTNetResource&) = delete;

    // RESOURCEDISPLAYTYPE_, RESOURCE_, RESOURCEUSAGE_ and RESOURCETYPE_
    // values.  Each setter that changes a value calls Changed.
    DWORD DisplayType() const { return displayType_; }
    void SetDisplayType(DWORD value) { Set(displayType_, value); }
    DWORD Scope() const { return scope_; }
    void SetScope(DWORD value) { Set(scope_, value); }
    DWORD Usage() const { return usage_; }
    void SetUsage(DWORD value) { Set(usage_, value); }
    DWORD ResourceType() const { return resourceType_; }
    void SetResourceType(DWORD value) { Set(resourceType_, value); }
    const std::string& RemoteName() const { return remoteName_; }
    void SetRemoteName(const std::string& value) { Set(remoteName_, value); }
    const std::string& LocalName() const { return localName_; }
    void SetLocalName(const std::string& value) { Set(localName_, value); }
    const std::string& Provider() const { return provider_; }
    void SetProvider(const std::string& value) { Set(provider_, value); }
    const std::string& Comment() const { return comment_; }
    void SetComment(const std::string& value) { Set(comment_, value); }

    TNTResourcePerformance& Performance() { return performance_; }

    // The browser that made this resource while it lives, else null.
    TNTNetBrowser* Browser() const { return link_ ? link_->browser : nullptr; }

    // Called after every change (the browser sets it on its current
    // resource only).
    void SetOnChange(TChangeNotification notification) { onChange_ = std::move(notification); }

    // Texts empty, numbers 0, then Changed.
    void Clear();
    // Clears the performance values and fires the change notification.
    void Changed();
    // Copies the eight fields of another resource, then Changed.
    void Assign(const TNTNetResource& source);

    // A zeroed record with the four numbers and pointers to the four texts
    // (an empty text gives an empty string, never null).  The pointers stay
    // valid until the resource changes or is destroyed.
    void ToNetResource(NETRESOURCEA& record) const;
    // Copies the four numbers and four texts of a record (null gives an
    // empty text) without any notification; the performance values of
    // before are dropped.
    void FromNetResource(const NETRESOURCEA& record);

    // All four numbers and all four texts equal (texts case-sensitively).
    bool IsEqual(const TNTNetResource& other) const;
    // All four numbers 0 and all four texts empty.
    bool IsEmpty() const;

private:
    template <class T>
    void Set(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }

    DWORD displayType_ = 0;
    DWORD scope_ = 0;
    DWORD usage_ = 0;
    DWORD resourceType_ = 0;
    std::string remoteName_;
    std::string localName_;
    std::string provider_;
    std::string comment_;
    TNTResourcePerformance performance_;
    TChangeNotification onChange_;
    std::shared_ptr<const TNetBrowserLink> link_;
};

// Resources in the order they were added; the list owns them.
class TNetResourceList : public TObjectList<TNTNetResource> {
public:
    explicit TNetResourceList(std::int32_t value = 0)
        : TObjectList<TNTNetResource>(value, true)
    {
    }

    // Appends at the end and returns the index.
    int Add(std::unique_ptr<TNTNetResource> resource);
    TNTNetResource* GetItem(int index) const { return Items(index); }
};

// What the platform says about a network provider.
class TNTNetProviderInfo {
public:
    explicit TNTNetProviderInfo(TNTNetBrowser* browser = nullptr)
        : browser_(browser)
    {
    }

    DWORD Status() const { return status_; }
    DWORD Version() const { return version_; }
    // The provider's network type shifted left by 16 bits (131072 for the
    // LAN Manager network).
    DWORD NetType() const { return netType_; }

    // Reads the information of a provider; an empty name gives zeros.  A
    // failure raises unless the owner browser cannot raise errors (then
    // the values stay 0).
    void Refresh(const std::string& provider);

private:
    TNTNetBrowser* browser_;
    DWORD status_ = 0;
    DWORD version_ = 0;
    DWORD netType_ = 0;
};

// What a browser enumerates: the scope, type and usage handed to the
// platform.
class TBrowseProperties {
public:
    using TChangeNotification = std::function<void()>;

    static constexpr DWORD kDefaultUsage = 19; // connectable, container, attached
    static constexpr DWORD kDefaultScope = RESOURCE_GLOBALNET;
    static constexpr DWORD kDefaultResourceType = RESOURCETYPE_ANY;

    DWORD Usage() const { return usage_; }
    void SetUsage(DWORD value) { Set(usage_, value); }
    DWORD Scope() const { return scope_; }
    void SetScope(DWORD value) { Set(scope_, value); }
    DWORD ResourceType() const { return resourceType_; }
    void SetResourceType(DWORD value) { Set(resourceType_, value); }

    // Copies the three values (each change fires the notification).
    void Assign(const TBrowseProperties& source);
    void SetOnChange(TChangeNotification notification) { onChange_ = std::move(notification); }

private:
    void Set(DWORD& field, DWORD value);

    DWORD usage_ = kDefaultUsage;
    DWORD scope_ = kDefaultScope;
    DWORD resourceType_ = kDefaultResourceType;
    TChangeNotification onChange_;
};

class TNTNetBrowser {
public:
    TNTNetBrowser();
    virtual ~TNTNetBrowser();
    TNTNetBrowser(const TNTNetBrowser&) = delete;
    TNTNetBrowser& operator=(const TNTNetBrowser&) = delete;

    // The resource whose children SubResources lists.  Every change of it
    // (or of WhatToBrowse) drops the list, which is enumerated again on the
    // next read.
    TNTNetResource& CurrentResource() { return *currentResource_; }
    // Copies a resource into CurrentResource unless it is equal already.
    void SetCurrentResource(const TNTNetResource& resource);

    // The children of CurrentResource, enumerated on the first read after
    // a change.  The list and its resources belong to the browser until the
    // next change; callers copy the resources they keep (Assign).
    TNetResourceList& SubResources() { return *GetSubResources(); }
    TNetResourceList* GetSubResources();
    // Appends the children of CurrentResource to a list.  Entries appended
    // before a failure stay in the list.
    void EnumSubResources(TNetResourceList& list);

    // The resource above CurrentResource, held by the browser and
    // overwritten by the next call.  Failures raise in every state.
    TNTNetResource& GetParentResource();

    // Starts an enumeration of CurrentResource as WhatToBrowse says; true
    // when a handle is held.
    bool OpenEnum();
    // Ends it; true when a handle was held and closed.
    bool CloseEnum();

    const std::string& GetProviderName() const { return providerName_; }
    // Stores a different name and refreshes ProviderInfo for it.
    void SetProviderName(const std::string& name);
    TNTNetProviderInfo& ProviderInfo() { return *providerInfo_; }

    TBrowseProperties& WhatToBrowse() { return *whatToBrowse_; }
    void SetWhatToBrowse(const TBrowseProperties& value) { whatToBrowse_->Assign(value); }

    // Component streaming: between BeginLoading and Loaded the browser
    // swallows network failures.
    void BeginLoading() { loading_ = true; }
    virtual void Loaded() { loading_ = false; }
    bool IsLoading() const { return loading_; }
    bool CanRaiseErrors() const { return !loading_; }

    // The link that the resources this browser makes hold.
    std::shared_ptr<const TNetBrowserLink> Link() const { return link_; }

private:
    void DropSubResources();
    void ReadEnumeration(TNetResourceList& list);
    void CloseEnumQuietly() noexcept;

    std::shared_ptr<TNetBrowserLink> link_;
    std::unique_ptr<TNTNetResource> currentResource_;
    std::unique_ptr<TNTNetResource> parentResource_;
    HANDLE enumHandle_ = nullptr;
    std::unique_ptr<TNetResourceList> subResources_;
    std::string providerName_;
    std::unique_ptr<TNTNetProviderInfo> providerInfo_;
    std::unique_ptr<TBrowseProperties> whatToBrowse_;
    bool loading_ = false;
};
