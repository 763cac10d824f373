#include "NetConnections.h"

#include "ErrorCodes.h"
#include "RegistryKey.h"

#include <algorithm>
#include <mutex>

namespace platform {
namespace {

std::mutex g_traceMutex;
ScopedWNetTrace* g_trace = nullptr; // the recording trace, if any

// "\\NAME\SHARE" split into upper-case computer and share; false when the
// name is not of that form.
bool splitRemoteName(const char* remoteName, std::string& computer, std::string& share)
{
    if (!remoteName)
        return false;
    const std::string_view name(remoteName);
    if (name.size() < 3 || name[0] != '\\' || name[1] != '\\')
        return false;
    const std::string_view rest = name.substr(2);
    const std::size_t slash = rest.find('\\');
    if (slash == std::string_view::npos || slash == 0)
        return false;
    computer = RegistryNameKey(rest.substr(0, slash));
    share = RegistryNameKey(rest.substr(slash + 1));
    return !share.empty() && share.find('\\') == std::string::npos;
}

// "DOMAIN\user" is accepted when DOMAIN is the computer's name or its domain.
bool splitUserName(const SiteComputer& computer, std::string_view given, std::string& user)
{
    const std::size_t slash = given.find('\\');
    if (slash == std::string_view::npos) {
        user = given;
        return true;
    }
    const std::string authority = RegistryNameKey(given.substr(0, slash));
    if (authority != computer.name && authority != RegistryNameKey(computer.domain))
        return false;
    user = given.substr(slash + 1);
    return true;
}

} // namespace

NetConnections& NetConnections::Instance()
{
    static NetConnections connections;
    return connections;
}

DWORD NetConnections::Add(const Site& site, const char* remoteName, const char* password, const char* userName)
{
    std::string computerName, share;
    if (!splitRemoteName(remoteName, computerName, share))
        return ERROR_BAD_NET_NAME;
    const SiteComputer* computer = site.FindComputer(computerName);
    if (!computer || !computer->reachable)
        return ERROR_BAD_NETPATH;
    if (!computer->HasShare(share))
        return ERROR_BAD_NET_NAME;

    std::lock_guard lock(mutex_);
    const auto session = std::find_if(connections_.begin(), connections_.end(),
                                      [&](const Connection& c) { return c.computer == computer->name; });
    const bool explicitUser = userName && *userName;
    std::string user;
    if (explicitUser) {
        if (!splitUserName(*computer, userName, user))
            return ERROR_LOGON_FAILURE;
        if (session != connections_.end() && RegistryNameKey(session->userName) != RegistryNameKey(user))
            return ERROR_SESSION_CREDENTIAL_CONFLICT;
        if (!computer->AcceptsLogon(user, password ? password : ""))
            return ERROR_LOGON_FAILURE;
    } else if (session != connections_.end()) {
        user = session->userName; // the open session serves
    } else if (computer->requiresConnection && !site.IsLocal(computer->name.c_str())) {
        return ERROR_LOGON_FAILURE; // the current user has no account there
    }

    for (Connection& c : connections_) {
        if (c.computer == computer->name && c.share == share) {
            ++c.uses;
            return ERROR_SUCCESS;
        }
    }
    connections_.push_back(Connection{computer->name, share, user, 1});
    return ERROR_SUCCESS;
}

DWORD NetConnections::Cancel(const char* name)
{
    std::string computer, share;
    if (!splitRemoteName(name, computer, share))
        return ERROR_NOT_CONNECTED;
    std::lock_guard lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->computer == computer && it->share == share) {
            if (--it->uses == 0)
                connections_.erase(it);
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NOT_CONNECTED;
}

bool NetConnections::HasSession(const std::string& computer) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(connections_.begin(), connections_.end(),
                       [&](const Connection& c) { return c.computer == computer; });
}

std::vector<NetConnectionInfo> NetConnections::List() const
{
    std::lock_guard lock(mutex_);
    std::vector<NetConnectionInfo> list;
    for (const Connection& c : connections_)
        list.push_back(NetConnectionInfo{"\\\\" + c.computer + "\\" + c.share, c.userName, c.uses});
    return list;
}

void NetConnections::Clear()
{
    std::lock_guard lock(mutex_);
    connections_.clear();
}

ScopedWNetTrace::ScopedWNetTrace()
{
    std::lock_guard lock(g_traceMutex);
    previous_ = g_trace;
    g_trace = this;
}

ScopedWNetTrace::~ScopedWNetTrace()
{
    std::lock_guard lock(g_traceMutex);
    if (g_trace == this)
        g_trace = previous_;
}

std::vector<std::string> ScopedWNetTrace::Calls() const
{
    std::lock_guard lock(g_traceMutex);
    return calls_;
}

void TraceWNetCall(const std::string& line)
{
    std::lock_guard lock(g_traceMutex);
    if (g_trace)
        g_trace->calls_.push_back(line);
}

} // namespace platform
