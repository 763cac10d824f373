#pragma once
// The base of the library's components that work on a computer given by
// name: the computer, its domain, and the credentials of an IPC$
// connection kept open while they are given.

#include "platform/Win32Types.h"

#include <string>
#include <vector>

// Credentials for the connection to a remote computer.  The password is
// held in memory only: nothing writes it to a file or a stream.
class TLogonAs {
public:
    std::string UserName;
    std::string Password;
};

class TNTPersistent {
public:
    TNTPersistent();
    virtual ~TNTPersistent();
    TNTPersistent(const TNTPersistent&) = delete;
    TNTPersistent& operator=(const TNTPersistent&) = delete;

    // Empty for the local computer, else a computer's name with or without
    // its leading "\\"; handed to the platform unchanged.
    const std::string& MachineName() const { return machineName_; }
    virtual void SetMachineName(const std::string& value);

    const std::string& DomainName() const { return domainName_; }
    virtual void SetDomainName(const std::string& value);

    TLogonAs& LogonAs() { return logonAs_; }
    const TLogonAs& LogonAs() const { return logonAs_; }

    // Component streaming: between BeginLoading and Loaded the component
    // records its properties without acting on them.
    void BeginLoading() { loading_ = true; }
    virtual void Loaded();
    bool IsLoading() const { return loading_; }

    // True when credentials are given and `computer` is a remote one
    // (never while loading).
    bool NeedsConnection(const std::string& computer) const;
    DWORD Connect() { return ConnectTo(machineName_); }
    void Disconnect() { DisconnectFrom(machineName_); }
    // Connects to "\\computer\IPC$" with the credentials when they are
    // needed; a conflict with a connection under other credentials is
    // resolved by one cancel and one retry.  Returns the last result, or -1
    // when no connection is needed; callers may ignore it.
    DWORD ConnectTo(const std::string& computer);
    // Cancels that connection when one is needed; the result is ignored.
    void DisconnectFrom(const std::string& computer);

    bool CanRaiseErrors() const { return !loading_; }

    // Makes a target list that parallels `oldList` agree with `newList`.
    static void SyncStrings(const std::vector<std::string>& oldList, const std::vector<std::string>& newList,
                            std::vector<std::string>& target);

private:
    std::string machineName_;
    std::string domainName_;
    TLogonAs logonAs_;
    bool loading_ = false;
};

// The local computer's name; a platform failure raises ENTException.
std::string GetLocalComputerName();

// "\\NAME" for a computer name given with or without its leading backslashes.
std::string UncComputerName(const std::string& computer);

// "\\NAME\IPC$": the share the connection with credentials goes to.
std::string IpcShareName(const std::string& computer);
