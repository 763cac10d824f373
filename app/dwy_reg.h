#pragma once
// Reading and writing registry values: 32-bit integers and strings under
// HKEY_LOCAL_MACHINE of the local computer or of a remote one, and the
// per-user flags (under HKEY_CURRENT_USER) that switch questions off.
//
// Reads never fail: any error gives the default.  Writes raise ENTException
// with the platform's error.  A remote registry that cannot be reached is
// never replaced by the local one: reads then give their default and
// writes raise the connection's error.

#include <string>

// `machine`: empty for the local computer, else a computer name with or
// without its leading "\\".
int RegReadInteger(const std::string& machine, const std::string& key, const std::string& name, int defaultValue);
void RegReadString(const std::string& machine, const std::string& key, const std::string& name, std::string& value,
                   const std::string& defaultValue);
void RegWriteInteger(const std::string& machine, const std::string& key, const std::string& name, int value);
// The system root of a computer ("SystemRoot" under
// "SOFTWARE\Microsoft\Windows NT\CurrentVersion").
void GetSystemRoot(const std::string& machine, const std::string& defaultValue, std::string& value);

// The current user's flags; the write creates the key when missing.
int RegReadFlag(const std::string& key, const std::string& name, int defaultValue);
void RegWriteFlag(const std::string& key, const std::string& name, int value);
