#pragma once
// The network connections of the process ("\\SERVER1\IPC$", "\\SERVER1\C$")
// made by WNetAddConnection2A.  Connections to one computer share one
// session under one user name: the first connection logs on, later ones
// with the same (or no) user name reuse the session, and another user name
// is refused with ERROR_SESSION_CREDENTIAL_CONFLICT.  Each connection
// counts its uses; cancelling removes one use.  Passwords are checked and
// never kept.

#include "Site.h"
#include "Win32Types.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct NetConnectionInfo {
    std::string remoteName; // "\\SERVER1\IPC$" as the platform spells it
    std::string userName;   // empty: the current user's
    int uses = 0;
};

class NetConnections {
public:
    static NetConnections& Instance();

    // Connects `remoteName` ("\\NAME\SHARE") on `site`; null user name and
    // password mean the current user's.  The platform's result code.
    DWORD Add(const Site& site, const char* remoteName, const char* password, const char* userName);
    // ERROR_NOT_CONNECTED when there is no such connection.
    DWORD Cancel(const char* name);

    // True while a session with `computer` (upper case) is open.
    bool HasSession(const std::string& computer) const;
    std::vector<NetConnectionInfo> List() const;
    void Clear();

private:
    NetConnections() = default;

    struct Connection {
        std::string computer; // upper case
        std::string share;    // upper case
        std::string userName;
        int uses = 0;
    };

    mutable std::mutex mutex_;
    std::vector<Connection> connections_;
};

// Records the network calls of this process while it lives, one line per
// call ("add \\SRV1\IPC$ = 1219", "cancel \\SRV1\IPC$ = 0"); for tests.  The
// innermost trace records.
class ScopedWNetTrace {
public:
    ScopedWNetTrace();
    ~ScopedWNetTrace();
    ScopedWNetTrace(const ScopedWNetTrace&) = delete;
    ScopedWNetTrace& operator=(const ScopedWNetTrace&) = delete;

    std::vector<std::string> Calls() const;

private:
    friend void TraceWNetCall(const std::string& line);
    ScopedWNetTrace* previous_;
    std::vector<std::string> calls_;
};

// Adds a line to the trace when one is recording.
void TraceWNetCall(const std::string& line);

} // namespace platform
