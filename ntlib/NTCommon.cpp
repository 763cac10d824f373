#include "NTCommon.h"

#include "NTException.h"
#include "TextHelpers.h"

#include "platform/Kernel32.h"
#include "platform/Mpr.h"

#include <algorithm>
#include <array>

TNTPersistent::TNTPersistent() = default;
TNTPersistent::~TNTPersistent() = default;

void TNTPersistent::SetMachineName(const std::string& value)
{
    if (value == machineName_)
        return;
    Disconnect();
    machineName_ = value;
    Connect();
}

void TNTPersistent::SetDomainName(const std::string& value)
{
    domainName_ = value;
}

void TNTPersistent::Loaded()
{
    loading_ = false;
    Connect();
}

bool TNTPersistent::NeedsConnection(const std::string& computer) const
{
    if (loading_)
        return false;
    const std::string name = ntlib::Trimmed(computer);
    if (name.empty() || name == ntlib::Trimmed(GetLocalComputerName()))
        return false;
    return !ntlib::Trimmed(logonAs_.UserName).empty() || !ntlib::Trimmed(logonAs_.Password).empty();
}

DWORD TNTPersistent::ConnectTo(const std::string& computer)
{
    if (!NeedsConnection(computer))
        return static_cast<DWORD>(-1);
    std::string remoteName = IpcShareName(computer);
    std::string localName; // empty, not null
    NETRESOURCEA resource{};
    resource.dwType = RESOURCETYPE_ANY;
    resource.lpLocalName = localName.data();
    resource.lpRemoteName = remoteName.data();
    resource.lpProvider = nullptr;
    DWORD result = WNetAddConnection2A(&resource, logonAs_.Password.c_str(), logonAs_.UserName.c_str(), 0);
    if (result == ERROR_SESSION_CREDENTIAL_CONFLICT) {
        // A connection under other credentials is in the way: drop ours
        // once and try once more.
        WNetCancelConnection2A(remoteName.c_str(), 0, FALSE);
        result = WNetAddConnection2A(&resource, logonAs_.Password.c_str(), logonAs_.UserName.c_str(), 0);
    }
    return result;
}

void TNTPersistent::DisconnectFrom(const std::string& computer)
{
    if (!NeedsConnection(computer))
        return;
    WNetCancelConnection2A(IpcShareName(computer).c_str(), 0, FALSE);
}

void TNTPersistent::SyncStrings(const std::vector<std::string>& oldList, const std::vector<std::string>& newList,
                                std::vector<std::string>& target)
{
    std::vector<std::string> remaining;
    std::size_t position = 0;
    for (const std::string& old : oldList) {
        if (std::find(newList.begin(), newList.end(), old) == newList.end()) {
            if (position < target.size())
                target.erase(target.begin() + static_cast<std::ptrdiff_t>(position));
        } else {
            remaining.push_back(old);
            ++position;
        }
    }
    for (const std::string& text : newList)
        if (std::find(remaining.begin(), remaining.end(), text) == remaining.end())
            target.push_back(text);
}

std::string GetLocalComputerName()
{
    std::array<char, 256> buffer{};
    DWORD size = static_cast<DWORD>(buffer.size());
    SetLastError(0);
    if (!GetComputerNameA(buffer.data(), &size))
        RaiseLastNTError();
    buffer.back() = '\0';
    return buffer.data();
}

std::string UncComputerName(const std::string& computer)
{
    const auto first = computer.find_first_not_of('\\');
    return "\\\\" + (first == std::string::npos ? std::string() : computer.substr(first));
}

std::string IpcShareName(const std::string& computer)
{
    return UncComputerName(computer) + "\\IPC$";
}
