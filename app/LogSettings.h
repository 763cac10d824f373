#pragma once
// What the log properties dialog shows of a log and changes in it: where
// its file lies, the file's size and dates, and the size limit and the
// overwrite policy kept under the log's key in the registry of the
// computer that holds it.

#include "platform/Win32Types.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <string>

// The key of a log under HKEY_LOCAL_MACHINE: this, then the log's name.
inline constexpr char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\";
inline constexpr char kNoFileValue[] = "<no value>";
inline constexpr int kDefaultMaxSize = 0x80000; // bytes
inline constexpr int kDefaultRetention = 604800; // seconds: seven days
inline constexpr int kSecondsPerDay = 86400;

// How a full log makes room.
enum TOverwriteMode : int {
    omAsNeeded = 0, // "Retention" 0
    omOlderThan,    // any other value: events older than that many seconds
    omNever,        // "Retention" -1: the log is cleared by hand
};

// A "Retention" value as the dialog shows it: the mode, and for omOlderThan
// the whole days (unsigned division); `days` is 0 for the other modes.
struct TRetention {
    TOverwriteMode mode = omAsNeeded;
    std::uint32_t days = 0;
};
TRetention RetentionOf(int retention);
// The value to store for a mode and a number of days.
int RetentionValue(TOverwriteMode mode, int days);

// The settings of a log as its key holds them, each with its default
// when it is missing or unreadable.
struct TLogSettings {
    std::string file = kNoFileValue; // "File" as stored
    int maxSize = kDefaultMaxSize;   // "MaxSize", bytes
    int retention = kDefaultRetention;
};
// `computer`: empty for the local computer.
TLogSettings ReadLogSettings(const std::string& computer, const std::string& log);

// The path of the log's file as the program reaches it: the first
// "%SystemRoot%" (any case) replaced by the computer's system root and,
// for a remote computer, the path on its administrative share ("C:\x"
// becomes "\\computer\C$\x").
std::string LogFilePath(const std::string& computer, const std::string& file, const std::string& systemRoot);

// The size and the dates of a file as the platform finds it.
struct TFileFacts {
    bool found = false;
    std::uint64_t size = 0;
    QDateTime created; // UTC
    QDateTime modified;
    QDateTime accessed;
};
TFileFacts ReadFileFacts(const std::string& path);

// A platform file time as a date and time, without any conversion to local
// time.
QDateTime FileTimeToDateTime(const FILETIME& time);

// "%d KB (%d bytes)" for a file's size.
QString FileSizeText(std::uint64_t size);
