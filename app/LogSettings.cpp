#include "LogSettings.h"

#include "dwy_reg.h"

#include "platform/Kernel32.h"

#include <QDate>
#include <QTime>

TRetention RetentionOf(int retention)
{
    if (retention == 0)
        return {omAsNeeded, 0};
    if (retention == -1)
        return {omNever, 0};
    return {omOlderThan, static_cast<std::uint32_t>(retention) / kSecondsPerDay};
}

int RetentionValue(TOverwriteMode mode, int days)
{
    switch (mode) {
    case omAsNeeded:
        return 0;
    case omNever:
        return -1;
    case omOlderThan:
        return days * kSecondsPerDay;
    }
    return 0;
}

TLogSettings ReadLogSettings(const std::string& computer, const std::string& log)
{
    const std::string key = kEventLogKey + log;
    TLogSettings settings;
    RegReadString(computer, key, "File", settings.file, kNoFileValue);
    settings.maxSize = RegReadInteger(computer, key, "MaxSize", kDefaultMaxSize);
    settings.retention = RegReadInteger(computer, key, "Retention", kDefaultRetention);
    return settings;
}

std::string LogFilePath(const std::string& computer, const std::string& file, const std::string& systemRoot)
{
    std::string path = file;
    const QString text = QString::fromStdString(path);
    const qsizetype at = text.indexOf(QStringLiteral("%SystemRoot%"), 0, Qt::CaseInsensitive);
    if (at >= 0)
        path = (text.left(at) + QString::fromStdString(systemRoot) + text.mid(at + 12)).toStdString();
    if (computer.empty())
        return path;
    if (const std::size_t colon = path.find(':'); colon != std::string::npos)
        path[colon] = '$';
    // The computer as the share path wants it, whichever form it came in.
    const std::size_t name = computer.find_first_not_of('\\');
    return "\\\\" + (name == std::string::npos ? std::string() : computer.substr(name)) + "\\" + path;
}

QDateTime FileTimeToDateTime(const FILETIME& time)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&time, &st))
        return {};
    return QDateTime(QDate(st.wYear, st.wMonth, st.wDay), QTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds),
                     Qt::UTC);
}

TFileFacts ReadFileFacts(const std::string& path)
{
    TFileFacts facts;
    WIN32_FIND_DATAA data{};
    HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return facts;
    FindClose(found);
    facts.found = true;
    facts.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    facts.created = FileTimeToDateTime(data.ftCreationTime);
    facts.modified = FileTimeToDateTime(data.ftLastWriteTime);
    facts.accessed = FileTimeToDateTime(data.ftLastAccessTime);
    return facts;
}

QString FileSizeText(std::uint64_t size)
{
    return QStringLiteral("%1 KB (%2 bytes)").arg(size >> 10).arg(size);
}
