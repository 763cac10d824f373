#pragma once
// The site the library's registry and connection tests run on.

#include "SiteBuilder.h"

// WKS1 (local) and SERVER3 with the usual event logs, a source "Shared"
// registered under two logs of SERVER3, SERVER1 that requires a connection
// (accounts admin/pw and other/x), SERVER2 that does not answer, and
// SERVER4 without any registry.
inline void BuildLibrarySite(SiteBuilder& site)
{
    const std::string eventLog = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
    site.Computer("SERVER1", {.requiresConnection = true, .accounts = {{"admin", "pw"}, {"other", "x"}}})
        .Computer("SERVER2", {.reachable = false})
        .Computer("SERVER3", {.accounts = {{"admin", "pw"}}})
        .Computer("SERVER4")
        .StandardEventLogs("WKS1")
        .StandardEventLogs("SERVER1")
        .StandardEventLogs("SERVER3", "C:\\WINNT")
        .Registry("SERVER3", eventLog + "System\\Shared]\n" + eventLog + "Application\\Shared]\n")
        .Registry("WKS1", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                          "\"Text\"=\"hello\"\n"
                          "\"Expand\"=" + SiteBuilder::ExpandSz("%SystemRoot%\\x") + "\n"
                          "\"Number\"=dword:ffffffff\n"
                          "\"Multi\"=" + SiteBuilder::MultiSz({"one", "two"}) + "\n"
                          "\"Blob\"=hex:01,02,03\n"
                          "\"Long\"=\"" + std::string(300, 'x') + "\"\n"
                          "\"Unterminated\"=hex(1):41,00,42,00\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Zeta]\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\alpha]\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Beta]\n");
    site.Load();
}
