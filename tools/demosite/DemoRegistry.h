#pragma once
// What the registry of a demo computer says about its event logs: the
// three logs with their files, sizes and retention, and the event sources
// registered under them with their message files.

#include "DemoNetwork.h"

#include "platform/RegistryKey.h"
#include "platform/Win32Types.h"

#include <string>
#include <vector>

namespace demosite {

// The names of the event sources.
inline constexpr char kSourceServiceControl[] = "Service Control Manager";
inline constexpr char kSourceEventLog[] = "EventLog";
inline constexpr char kSourceSecurity[] = "Security";
inline constexpr char kSourceKeepsafe[] = "Keepsafe Backup";
inline constexpr char kSourceHarbor[] = "Harbor Web Server";
inline constexpr char kSourceLedgerline[] = "Ledgerline";
inline constexpr char kSourceFaultMonitor[] = "Fault Monitor";
inline constexpr char kSourcePolicyAgent[] = "Policy Agent";
inline constexpr char kSourcePackageInstaller[] = "Package Installer";
inline constexpr char kSourceSpooler[] = "Inkwell Spooler";
inline constexpr char kSourceDiskWatch[] = "DiskWatch";
inline constexpr char kSourceNetLink[] = "NetLink";
inline constexpr char kSourceTimeKeeper[] = "Time Keeper";

struct DemoLogSettings {
    std::string name;     // "Application"
    std::string fileName; // "AppEvent.Evt", in %SystemRoot%\system32\config
    DWORD maxSize = 0;
    DWORD retention = 0;  // seconds; 0 = overwrite as needed
};

struct DemoSource {
    std::string log;
    std::string name;
    std::string eventMessageFile;     // a ";" list of paths, below %SystemRoot%
    std::string categoryMessageFile;  // empty: none
    DWORD categoryCount = 0;
    std::string parameterMessageFile; // empty: none
    DWORD typesSupported = 0x07;
};

// Application, System and Security of a computer.
std::vector<DemoLogSettings> LogSettingsOf(const DemoComputer& computer);
// The sources registered on a computer, log by log.
std::vector<DemoSource> SourcesOf(const DemoComputer& computer);

// The message files the sources of a computer name: paths below the system
// root with backslashes ("system32\keepsafe.dll").
std::vector<std::string> MessageFilesOf(const DemoComputer& computer);

// HKEY_LOCAL_MACHINE of a computer: the event-log service's keys and the
// system root.
platform::RegistryKey MachineRegistryOf(const DemoComputer& computer);

} // namespace demosite
