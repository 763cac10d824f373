#include "DemoActivity.h"

#include "DemoRegistry.h"

#include "platform/EventLogService.h"
#include "platform/Win32Types.h"

// The symbolic names of the messages, from the message compiler.
#include "msg_diskwatch.h"
#include "msg_eventlog.h"
#include "msg_faultmon.h"
#include "msg_harbor.h"
#include "msg_harborext.h"
#include "msg_inkspool.h"
#include "msg_keepsafe.h"
#include "msg_ledger.h"
#include "msg_ledgerprm.h"
#include "msg_netlink.h"
#include "msg_pkginst.h"
#include "msg_policy.h"
#include "msg_secaudit.h"
#include "msg_secparam.h"
#include "msg_svcctl.h"
#include "msg_timekeep.h"

#include <algorithm>
#include <cstdio>

// The order in which a call's arguments are evaluated is the compiler's
// choice: every random number is drawn in a statement of its own or in the
// elements of a braced list (which run from left to right), so that every
// compiler writes the same site.

namespace demosite {
namespace {

constexpr std::uint32_t kMinute = 60;
constexpr std::uint32_t kHour = 3600;
constexpr std::uint32_t kDay = 86400;

constexpr WORD kError = EVENTLOG_ERROR_TYPE;
constexpr WORD kWarning = EVENTLOG_WARNING_TYPE;
constexpr WORD kInformation = EVENTLOG_INFORMATION_TYPE;
constexpr WORD kSuccess = EVENTLOG_SUCCESS;

std::string number(std::uint64_t value)
{
    return std::to_string(value);
}

// A parameter reference of the security audit or of the database engine.
std::string param(DWORD message)
{
    return "%%" + std::to_string(message);
}

// Several access kinds, one per line, as the audit lists them.
std::string accessList(std::initializer_list<DWORD> accesses)
{
    std::string text;
    for (DWORD access : accesses) {
        if (!text.empty())
            text += "\r\n\t\t\t";
        text += param(access);
    }
    return text;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::string dateText(std::uint32_t t)
{
    int year = 0, month = 0, day = 0;
    civilFromDays(t / kDay, year, month, day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string clockText(std::uint32_t t)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", (t % kDay) / kHour, (t % kHour) / kMinute, t % kMinute);
    return text;
}

int dayOfMonth(std::uint32_t t)
{
    int year = 0, month = 0, day = 0;
    civilFromDays(t / kDay, year, month, day);
    return day;
}

// 0 = Monday.
int weekdayOf(std::uint32_t t)
{
    return static_cast<int>((t / kDay + 3) % 7);
}

struct Program {
    const char* image;
    const char* version;
    const char* module;
    const char* moduleVersion;
};

const std::vector<Program>& deskPrograms()
{
    static const std::vector<Program> programs = {
        {"C:\\Program Files\\Quillpad\\quillpad.exe", "4.2.1.310", "qpspell.dll", "4.2.0.77"},
        {"C:\\Program Files\\Tallysheet\\tally.exe", "7.0.3.1204", "tallycalc.dll", "7.0.3.1198"},
        {"C:\\Program Files\\Postmark Mail\\postmark.exe", "2.9.14.0", "pmstore.dll", "2.9.14.0"},
        {"C:\\Program Files\\Ledgerline Client\\llclient.exe", "3.1.0.455", "llclient.exe", "3.1.0.455"},
        {"C:\\Program Files\\Sundial Calendar\\sundial.exe", "1.8.2.40", "sdsync.dll", "1.8.2.38"},
        {"C:\\WINDOWS\\system32\\cmd.exe", "5.1.2600.5512", "cmd.exe", "5.1.2600.5512"},
    };
    return programs;
}

std::string baseName(const std::string& path)
{
    return path.substr(path.rfind('\\') + 1);
}

const std::vector<std::string>& documents()
{
    static const std::vector<std::string> names = {
        "Quillpad - Offer to Harlow & Sons",
        "Tallysheet - receivables",
        "Postmark - RE: quarterly figures",
        "Quillpad - Angebot für Müller & Söhne",
        "Tallysheet - travel expenses",
        "Intranet - canteen menu",
        "Quillpad - minutes of the board meeting",
        "Ledgerline Client - open items report",
        "Tallysheet - budget 2025 (draft)",
        "Postmark - Faktura nr 2024/117 för Åkesson AB",
    };
    return names;
}

// The workstations of the office's people; WKS-DEMO is Ada Morrow's.
std::string workstationOf(const DemoUser& user)
{
    if (user.name == "amorrow")
        return kLocalComputer;
    if (user.kind == UserKind::Administrator)
        return "WKS-IT01";
    return "WKS-" + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(user.name[0])))) +
           number(10 + user.rid % 7);
}

std::vector<const DemoUser*> people()
{
    std::vector<const DemoUser*> list;
    for (const DemoUser& user : DomainUsers())
        if (user.kind == UserKind::Person)
            list.push_back(&user);
    return list;
}

} // namespace

DemoActivity::DemoActivity(const DemoComputer& computer, DemoLogBook& book, std::uint64_t seedOffset)
    : computer_(computer)
    , book_(book)
    , random_(computer.seed + seedOffset * 0x1000193ull)
    , nextLogon_(0x3E700 + random_.Below(0x10000))
    , nextProcess_(1200 + 4 * random_.Below(200))
    , nextJob_(random_.Between(10, 400))
{
}

std::uint32_t DemoActivity::Midnight(int year, int month, int day)
{
    // days from the civil date (proleptic Gregorian calendar)
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(y - era * 400);
    const unsigned dayOfYear = (153 * static_cast<unsigned>(month > 2 ? month - 3 : month + 9) + 2) / 5 +
                               static_cast<unsigned>(day) - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
    return static_cast<std::uint32_t>(days * kDay);
}

void DemoActivity::Run(std::uint32_t start, int days)
{
    for (int i = 0; i < days; ++i) {
        const std::uint32_t midnight = start + static_cast<std::uint32_t>(i) * kDay;
        const int weekday = weekdayOf(midnight);
        switch (computer_.role) {
        case Role::Workstation:
            workstationDay(midnight, weekday);
            break;
        case Role::FileServer:
            fileServerDay(midnight, weekday);
            break;
        case Role::DatabaseServer:
            databaseServerDay(midnight, weekday);
            break;
        }
    }
}

// --- writing events ---

void DemoActivity::app(std::uint32_t t, const char* source, DWORD id, WORD type, WORD category,
                       std::vector<std::string> strings, const std::string& sid, std::vector<BYTE> data)
{
    book_.Add(DemoLog::Application, t, source, id, type, category, std::move(strings), sid, std::move(data));
}

void DemoActivity::sys(std::uint32_t t, const char* source, DWORD id, WORD type, WORD category,
                       std::vector<std::string> strings, const std::string& sid, std::vector<BYTE> data)
{
    book_.Add(DemoLog::System, t, source, id, type, category, std::move(strings), sid, std::move(data));
}

void DemoActivity::audit(std::uint32_t t, DWORD id, bool success, WORD category, std::vector<std::string> strings,
                         const std::string& sid)
{
    book_.Add(DemoLog::Security, t, kSourceSecurity, id,
              success ? EVENTLOG_AUDIT_SUCCESS : EVENTLOG_AUDIT_FAILURE, category,
              std::move(strings), sid);
}

DemoActivity::Session DemoActivity::logon(std::uint32_t t, const DemoUser& user, DWORD logonType,
                                          const std::string& process, const std::string& package,
                                          const std::string& workstation)
{
    Session session{user.name, userSid(user), newLogonId()};
    audit(t, SEC_LOGON_SUCCESS, true, 2,
          {user.name, kDomain, session.logonId, param(logonType), process, package, workstation}, kSystemSid);
    if (user.kind == UserKind::Administrator)
        audit(t, SEC_PRIVILEGES_ASSIGNED, true, 2,
              {user.name, kDomain, session.logonId,
               accessList({SECP_PRIV_BACKUP, SECP_PRIV_RESTORE, SECP_PRIV_TAKE_OWNERSHIP, SECP_PRIV_DEBUG,
                           SECP_PRIV_AUDIT, SECP_PRIV_LOAD_DRIVER})},
              session.sid);
    return session;
}

void DemoActivity::logoff(std::uint32_t t, const Session& session, DWORD logonType)
{
    audit(t, SEC_LOGOFF, true, 2, {session.user, kDomain, session.logonId, param(logonType)}, session.sid);
}

void DemoActivity::serviceState(std::uint32_t t, const std::string& service, const char* state)
{
    sys(t, kSourceServiceControl, SCM_SERVICE_STATE, kInformation, 0, {service, state});
}

// --- values ---

std::string DemoActivity::newLogonId()
{
    nextLogon_ += 1 + random_.Below(0x400);
    char text[32];
    std::snprintf(text, sizeof text, "(0x0,0x%X)", nextLogon_);
    return text;
}

std::string DemoActivity::newProcessId()
{
    nextProcess_ += 4 * (1 + random_.Below(60));
    if (nextProcess_ > 9000)
        nextProcess_ = 800 + 4 * random_.Below(100);
    return number(nextProcess_);
}

std::string DemoActivity::newHandleId()
{
    const std::uint32_t high = 1 + random_.Below(9);
    return "0x" + std::to_string(high) + random_.Hex(2);
}

std::string DemoActivity::userSid(const DemoUser& user) const
{
    return DomainSid(user.rid);
}

std::vector<std::string> DemoActivity::services() const
{
    std::vector<std::string> list = {"Workstation", "Remote Registry", "Time Keeper", "DiskWatch Monitor",
                                     "Inkwell Print Spooler", "Keepsafe Backup Agent", "Fault Monitor"};
    switch (computer_.role) {
    case Role::Workstation:
        list.insert(list.end(), {"Address Client", "Policy Agent", "Package Installer"});
        break;
    case Role::FileServer:
        list.insert(list.end(), {"Server", "Domain Directory", "Policy Agent"});
        break;
    case Role::DatabaseServer:
        list.insert(list.end(), {"Server", "Ledgerline Database Engine", "Harbor Web Server"});
        break;
    }
    return list;
}

std::string DemoActivity::timeSource() const
{
    return computer_.role == Role::FileServer ? std::string("time1.example.net") : std::string(kFileServer);
}

std::vector<BYTE> DemoActivity::errorData(DWORD code, DWORD extra)
{
    return {static_cast<BYTE>(code),  static_cast<BYTE>(code >> 8),  static_cast<BYTE>(code >> 16),
            static_cast<BYTE>(code >> 24), static_cast<BYTE>(extra), static_cast<BYTE>(extra >> 8),
            static_cast<BYTE>(extra >> 16), static_cast<BYTE>(extra >> 24)};
}

// --- the computer's life ---

void DemoActivity::boot(std::uint32_t t)
{
    running_ = true;
    bootTime_ = t;
    const bool server = computer_.role != Role::Workstation;
    sys(t, kSourceEventLog, ELOG_STARTED, kInformation, 0, {});
    sys(t, kSourceEventLog, ELOG_VERSION, kInformation, 0,
        {computer_.osName, computer_.osVersion, computer_.osBuild, computer_.osServicePack});
    if (!cleanShutdown_) {
        sys(t, kSourceEventLog, ELOG_UNEXPECTED_SHUTDOWN, kError, 0,
            {clockText(lastShutdown_), dateText(lastShutdown_)});
        sys(t + 25, kSourceDiskWatch, DW_VOLUME_CLEAN, kInformation, 1, {"C:"});
        if (server)
            sys(t + 95, kSourceDiskWatch, DW_VOLUME_CLEAN, kInformation, 1, {"D:"});
    }
    cleanShutdown_ = false; // until it shuts down in order
    audit(t + 2, SEC_AUDIT_STARTED, true, 1, {}, kSystemSid);
    sys(t + 4, kSourceNetLink, NL_LINK_UP, kInformation, 0,
        {server ? "Server LAN 1" : "Onboard LAN", server ? "1000" : "100", "full"});
    if (computer_.role == Role::Workstation)
        sys(t + 7, kSourceNetLink, NL_LEASE_RENEWED, kInformation, 0,
            {"Onboard LAN", computer_.address, "10.20.0.10", "96"});

    std::uint32_t at = t + 9;
    for (const std::string& service : services()) {
        at += random_.Between(1, 6);
        if (service == "Address Client" && random_.Chance(15)) {
            sys(at, kSourceServiceControl, SCM_START_FAILED, kError, 0,
                {service, "No network adapter was ready in time."}, {}, errorData(0x41D, 0));
            continue;
        }
        serviceState(at, service, "running");
    }
    if (random_.Chance(20))
        sys(at + 30, kSourceServiceControl, SCM_CONNECT_TIMEOUT, kWarning, 0, {"30000", "Remote Registry"});

    // Services log on as themselves.
    audit(t + 10, SEC_LOGON_SUCCESS, true, 2,
          {"SYSTEM", "NT AUTHORITY", "(0x0,0x3E7)", param(SECP_LOGON_SERVICE), "Service Control", "Negotiate",
           computer_.name},
          kSystemSid);
    audit(t + 11, SEC_LOGON_SUCCESS, true, 2,
          {"LOCAL SERVICE", "NT AUTHORITY", "(0x0,0x3E5)", param(SECP_LOGON_SERVICE), "Service Control",
           "Negotiate", computer_.name},
          kLocalServiceSid);
    audit(t + 12, SEC_LOGON_SUCCESS, true, 2,
          {"NETWORK SERVICE", "NT AUTHORITY", "(0x0,0x3E4)", param(SECP_LOGON_SERVICE), "Service Control",
           "Negotiate", computer_.name},
          kNetworkServiceSid);
    if (computer_.role == Role::DatabaseServer) {
        for (const char* account : {"svc-ledger", "svc-harbor"}) {
            const Session s = logon(t + 20, DomainUser(account), SECP_LOGON_SERVICE, "Service Control", "Kerberos",
                                    computer_.name);
            audit(t + 20, SEC_PRIVILEGES_ASSIGNED, true, 2,
                  {s.user, kDomain, s.logonId, accessList({SECP_PRIV_BACKUP, SECP_PRIV_RESTORE})}, s.sid);
        }
    }

    if (random_.Chance(40))
        sys(at + 40, kSourceTimeKeeper, TK_CLOCK_SET, kError, 0, {number(random_.Between(130, 900)), "120"});
    sys(at + 45, kSourceTimeKeeper, TK_SOURCE_CHANGED, kInformation, 0,
        {timeSource(), computer_.role == Role::FileServer ? "external source" : "domain controller"});

    app(at + 20, kSourceKeepsafe, KS_AGENT_STARTED, kInformation, 0,
        {"5.3.2", computer_.role == Role::Workstation ? "2" : "3"});
    if (computer_.role != Role::DatabaseServer)
        app(at + 60, kSourcePolicyAgent, PA_COMPUTER_POLICY_APPLIED, kInformation, 0,
            {kFileServer, number(random_.Between(300, 2400)), number(random_.Below(4))});
    if (computer_.role == Role::FileServer) {
        for (const char* printer : {"Finance-Laser", "Office-Colour", "Plotter-2F"})
            sys(at + 30, kSourceSpooler, IS_PRINTER_SHARED, kInformation, 0,
                {printer, std::string("\\\\") + kFileServer + "\\" + printer});
    }
    if (computer_.role == Role::DatabaseServer) {
        const std::uint32_t engine = at + 25;
        app(engine, kSourceLedgerline, LL_ENGINE_STARTED, kInformation, 1, {"9.4.1", "2048", "3"});
        app(engine + 3, kSourceLedgerline, LL_DATABASE_OPENED, kInformation, 1,
            {"Ledger2024", param(LLP_ACCESS_READ_WRITE)});
        app(engine + 4, kSourceLedgerline, LL_DATABASE_OPENED, kInformation, 1, {"Payroll", param(LLP_ACCESS_READ_WRITE)});
        app(engine + 5, kSourceLedgerline, LL_DATABASE_OPENED, kInformation, 1,
            {"Ledger2023", param(LLP_ACCESS_READ_ONLY)});
        const std::uint32_t web = at + 35;
        app(web, kSourceHarbor, HB_SERVER_STARTED, kInformation, 1, {"3.6", "0.0.0.0:80, 0.0.0.0:443"});
        const struct {
            const char* site;
            const char* bindings;
            const char* folder;
        } sites[] = {{"Intranet", "intranet.ostrivel.example:443", "D:\\Web\\intranet"},
                     {"Ledger portal", "ledger.ostrivel.example:443", "D:\\Web\\ledger"},
                     {"Status page", "*:80", "D:\\Web\\status"}};
        for (const auto& site : sites) {
            app(web + 2, kSourceHarbor, HB_SITE_STARTED, kInformation, 2, {site.site, site.bindings, site.folder});
            app(web + 3, kSourceHarbor, HB_MODULE_LOADED, kInformation, 5,
                {"Compression", "harbor-gzip 1.2", site.site});
        }
        app(web + 4, kSourceHarbor, HB_MODULE_LOADED, kInformation, 5,
            {"Ledger gateway", "llgate 3.1.0", "Ledger portal"});
    }
}

void DemoActivity::shutdown(std::uint32_t t, const DemoUser& by, bool restart, const std::string& reason)
{
    if (!running_)
        return;
    sys(t, kSourceEventLog, ELOG_SHUTDOWN_REQUESTED, kInformation, 0,
        {kDomain, by.name, restart ? "restart" : "shut down", reason}, userSid(by));
    std::uint32_t at = t + 2;
    std::vector<std::string> list = services();
    for (std::size_t i = list.size(); i-- > 0;) {
        at += random_.Between(0, 3);
        if (i % 3 == 0 || list[i].find("Database") != std::string::npos || list[i].find("Web") != std::string::npos)
            serviceState(at, list[i], "stopped");
    }
    if (computer_.role == Role::DatabaseServer) {
        app(at - 4, kSourceHarbor, HB_SERVER_STOPPED, kInformation, 1, {number(random_.Between(20000, 400000))});
        app(at - 2, kSourceLedgerline, LL_ENGINE_STOPPED, kInformation, 1, {});
        if (random_.Chance(80))
            sys(at - 1, kSourceServiceControl, SCM_SLOW_CONTROL, kWarning, 0,
                {"Ledgerline Database Engine", number(random_.Between(31, 90)), "stop", "30"});
    }
    audit(at + 1, SEC_AUDIT_STOPPING, true, 1, {}, kSystemSid);
    sys(at + 2, kSourceEventLog, ELOG_STOPPED, kInformation, 0, {});
    running_ = false;
    cleanShutdown_ = true;
    lastShutdown_ = at + 3;
}

void DemoActivity::powerFailure()
{
    if (!running_)
        return;
    running_ = false;
    cleanShutdown_ = false;
    // The next start names the last orderly shutdown, which came before the
    // period when the computer has run ever since.
    if (lastShutdown_ == 0)
        lastShutdown_ = bootTime_ - random_.Between(kHour, 12 * kHour);
}

void DemoActivity::housekeeping(std::uint32_t from, std::uint32_t to)
{
    // The clock is set from the time source every eight hours, on servers
    // every four.
    const std::uint32_t interval = computer_.role == Role::Workstation ? 8 * kHour : 4 * kHour;
    for (std::uint32_t t = from + random_.Between(20 * kMinute, 3 * kHour); t < to;
         t += interval + random_.Below(20 * kMinute)) {
        if (random_.Chance(25)) {
            sys(t, kSourceTimeKeeper, TK_NO_SOURCE, kWarning, 0, {number(random_.Between(480, 1440))});
            continue;
        }
        sys(t, kSourceTimeKeeper, TK_SYNCHRONISED, kInformation, 0, {timeSource(), number(random_.Between(1, 420))});
    }
    // The event-log service notes the uptime at noon.
    const std::uint32_t noon = from - from % kDay + 12 * kHour;
    if (noon >= from && noon < to && noon > bootTime_)
        sys(noon, kSourceEventLog, ELOG_UPTIME, kInformation, 0, {number(noon - bootTime_)});

    if (random_.Chance(12)) {
        const std::uint32_t when = from + random_.Below(to - from);
        sys(when, kSourceDiskWatch, DW_SLOW_DISK, kWarning, 3,
            {computer_.role == Role::Workstation ? "0" : "1", number(random_.Between(800, 4500)),
             number(random_.Between(12, 300))});
    }
    if (random_.Chance(6)) {
        const std::uint32_t when = from + random_.Below(to - from);
        sys(when, kSourceNetLink, NL_LINK_DOWN, kWarning, 0,
            {computer_.role == Role::Workstation ? "Onboard LAN" : "Server LAN 1"}, {},
            errorData(0xC0000003, random_.Below(0x100)));
    }
    if (random_.Chance(3)) {
        const std::uint32_t t = from + random_.Below(to - from);
        sys(t, kSourceNetLink, NL_NAME_CONFLICT, kWarning, 0, {computer_.name, "10.20.0." + number(random_.Between(60, 200))});
    }
}

void DemoActivity::patchNight(std::uint32_t t)
{
    const DemoUser& admin = DomainUser("tmarsh");
    const Session s = logon(t, admin, SECP_LOGON_REMOTE, "Remote Session", "Kerberos", "WKS-IT01");
    const char* updates[] = {"NT-2024-06 security rollup", "NT-2024-07 security rollup", "NT-2024-08 security rollup",
                             "NT-2024-09 security rollup", "NT-2024-10 security rollup", "Network stack fix NS-118",
                             "Kernel update KU-3311"};
    std::uint32_t at = t + 120;
    const std::uint32_t count = random_.Between(1, 3);
    for (std::uint32_t i = 0; i < count; ++i) {
        at += random_.Between(60, 600);
        app(at, kSourcePackageInstaller, PI_UPDATE_APPLIED, kInformation, 0,
            {updates[random_.Below(std::size(updates))], computer_.osName}, s.sid);
    }
    app(at + 5, kSourcePackageInstaller, PI_RESTART_NEEDED, kWarning, 0, {"the updates", number(random_.Between(2, 9))},
        s.sid);
    logoff(at + 30, s, SECP_LOGON_REMOTE);
    shutdown(at + 40, admin, true, "Updates were installed.");
    boot(at + 40 + random_.Between(90, 240));
}

// --- the workstation ---

void DemoActivity::workstationDay(std::uint32_t midnight, int weekday)
{
    const DemoUser& user = DomainUser("amorrow");
    const bool patchDay = weekday == 1 && dayOfMonth(midnight) >= 8 && dayOfMonth(midnight) <= 14;
    if (weekday >= 5) {
        if (running_) {
            if (weekday == 6 || random_.Chance(300)) {
                const std::uint32_t t = midnight + 10 * kHour + random_.Below(6 * kHour);
                housekeeping(midnight, t);
                shutdown(t, DomainUser("tmarsh"), false, "Weekend shutdown of idle computers.");
            } else {
                housekeeping(midnight, midnight + kDay);
            }
        } else if (random_.Chance(100)) {
            const std::uint32_t on = midnight + 9 * kHour + random_.Below(3 * kHour);
            boot(on);
            adminSession(on + random_.Between(120, 900), DomainUser("tmarsh"));
            housekeeping(on, on + 2 * kHour);
            shutdown(on + 2 * kHour, DomainUser("tmarsh"), false, "Maintenance finished.");
        }
        return;
    }

    std::uint32_t on = midnight + 7 * kHour + 30 * kMinute + random_.Below(70 * kMinute);
    if (!running_)
        boot(on);
    else
        on = midnight;
    const std::uint32_t start = std::max(on + random_.Between(90, 600), midnight + 7 * kHour + 35 * kMinute);
    std::uint32_t end = midnight + 17 * kHour + random_.Below(105 * kMinute);

    if (random_.Chance(8)) {
        // A power cut in the middle of the day.
        const std::uint32_t cut = start + random_.Between(kHour, 6 * kHour);
        deskSession(start, cut, user);
        housekeeping(on, cut);
        powerFailure();
        const std::uint32_t back = cut + random_.Between(4 * kMinute, 40 * kMinute);
        boot(back);
        deskSession(back + random_.Between(120, 400), end, user);
        housekeeping(back, end);
    } else {
        deskSession(start, end, user);
        if (random_.Chance(50))
            adminSession(start + random_.Between(kHour, 7 * kHour), DomainUser("tmarsh"));
        housekeeping(on, end);
    }
    documentBackups(start, end, user);

    if (patchDay) {
        patchNight(end + 2 * kMinute);
        end += 30 * kMinute;
    }
    if (random_.Chance(200)) {
        housekeeping(end, midnight + kDay); // left running for the night
        return;
    }
    shutdown(end + random_.Between(30, 300), user, false, "The user shut down the computer.");
}

void DemoActivity::deskSession(std::uint32_t from, std::uint32_t to, const DemoUser& user)
{
    if (to <= from + 10 * kMinute)
        return;
    const std::string workstation = computer_.name;
    if (random_.Chance(70))
        audit(from - random_.Between(10, 40), SEC_LOGON_FAILURE, false, 2,
              {param(SECP_FAIL_BAD_PASSWORD), user.name, kDomain, param(SECP_LOGON_INTERACTIVE), "Desktop Logon",
               "Negotiate", workstation},
              kSystemSid);
    const Session session = logon(from, user, SECP_LOGON_INTERACTIVE, "Desktop Logon", "Negotiate", workstation);

    // The policy agent and the profile.
    app(from + 3, kSourcePolicyAgent, PA_USER_POLICY_APPLIED, kInformation, 0,
        {kDomain, user.name, kFileServer, number(random_.Between(200, 1900))}, session.sid);
    const std::string profile = std::string("\\\\") + kFileServer + "\\Profiles$\\" + user.name;
    if (random_.Chance(40))
        app(from + 8, kSourcePolicyAgent, PA_PROFILE_LOCAL_COPY, kWarning, 0, {kDomain, user.name, profile},
            session.sid);
    else
        app(from + 8, kSourcePolicyAgent, PA_PROFILE_LOADED, kInformation, 0,
            {kDomain, user.name, profile, number(random_.Between(40, 380))}, session.sid);
    if (random_.Chance(20))
        app(from + 12, kSourcePolicyAgent, PA_LOGON_SCRIPT_FAILED, kError, 0,
            {std::string("\\\\") + kFileServer + "\\NETLOGON\\drives.cmd", kDomain, user.name,
             random_.Pick({"1", "2", "53", "85"})},
            session.sid);

    const std::uint32_t span = to - from;
    // Programs the user starts and ends.
    const std::uint32_t programs = random_.Between(6, 16);
    for (std::uint32_t i = 0; i < programs; ++i) {
        const std::uint32_t t = from + 30 + random_.Below(span - 60);
        const Program& program = random_.Pick(deskPrograms());
        const std::string pid = newProcessId();
        audit(t, SEC_PROCESS_CREATED, true, 5, {pid, program.image, "1424", user.name, kDomain, session.logonId},
              session.sid);
        const std::uint32_t end = std::min(to - 5, t + random_.Between(3 * kMinute, 4 * kHour));
        audit(end, SEC_PROCESS_EXITED, true, 5, {pid, program.image, user.name, kDomain, session.logonId},
              session.sid);
        if (random_.Chance(12))
            programFault(t + (end - t) / 2, user);
    }
    if (random_.Chance(15)) {
        const Program& program = random_.Pick(deskPrograms());
        const std::uint32_t when = from + random_.Below(span);
        app(when, kSourceFaultMonitor, FM_PROGRAM_HANG, kError, 0,
            {baseName(program.image), program.version, number(random_.Between(5, 60))}, session.sid);
    }

    // Locking and unlocking the screen.
    const std::uint32_t unlocks = random_.Between(1, 4);
    for (std::uint32_t i = 0; i < unlocks; ++i) {
        const std::uint32_t t = from + random_.Below(span);
        const Session unlock = logon(t, user, SECP_LOGON_UNLOCK, "Desktop Logon", "Negotiate", workstation);
        logoff(t + 1, unlock, SECP_LOGON_UNLOCK);
    }

    // Audited files of the ledger folder.
    const char* files[] = {"C:\\Ledgers\\2024\\receivables.tly", "C:\\Ledgers\\2024\\payables.tly",
                           "C:\\Ledgers\\2024\\Q3 closing.tly", "C:\\Ledgers\\Audit\\auditor notes.qpd",
                           "C:\\Ledgers\\2024\\bank statements\\September.qpd"};
    const std::uint32_t opened = random_.Between(2, 6);
    for (std::uint32_t i = 0; i < opened; ++i) {
        const std::uint32_t t = from + random_.Below(span);
        const std::string handle = newHandleId();
        const std::string pid = newProcessId();
        const bool write = random_.Chance(400);
        audit(t, SEC_OBJECT_OPENED, true, 3,
              {"Security", "File", files[random_.Below(std::size(files))], handle, pid, user.name, kDomain,
               session.logonId,
               write ? accessList({SECP_READ_DATA, SECP_WRITE_DATA, SECP_APPEND_DATA, SECP_READ_ATTRIBUTES,
                                   SECP_SYNCHRONISE})
                     : accessList({SECP_READ_DATA, SECP_READ_EA, SECP_READ_ATTRIBUTES, SECP_READ_SECURITY,
                                   SECP_SYNCHRONISE})},
              session.sid);
        audit(t + random_.Between(2, 900), SEC_HANDLE_CLOSED, true, 3, {"Security", handle, pid}, session.sid);
    }
    if (random_.Chance(60)) {
        const std::uint32_t t = from + random_.Below(span);
        audit(t, SEC_OBJECT_OPENED, false, 3,
              {"Security", "File", "C:\\Ledgers\\Payroll\\salaries 2024.tly", "0x0", newProcessId(), user.name,
               kDomain, session.logonId, accessList({SECP_READ_DATA, SECP_READ_ATTRIBUTES})},
              session.sid);
    }
    if (random_.Chance(30)) {
        const std::uint32_t t = from + random_.Below(span);
        const std::string handle = newHandleId();
        const std::string pid = newProcessId();
        audit(t, SEC_OBJECT_OPENED, true, 3,
              {"Security", "File", "C:\\Ledgers\\2024\\~draft receivables.tly", handle, pid, user.name, kDomain,
               session.logonId, accessList({SECP_DELETE, SECP_READ_ATTRIBUTES})},
              session.sid);
        audit(t + 1, SEC_OBJECT_DELETED, true, 3,
              {"Security", "C:\\Ledgers\\2024\\~draft receivables.tly", handle, pid}, session.sid);
    }

    // Printing.
    const std::uint32_t prints = random_.Below(5);
    for (std::uint32_t i = 0; i < prints; ++i) {
        const bool local = random_.Chance(300);
        printDocument(from + random_.Below(span), user, local ? "Desk Inkjet" : "\\\\SRV-FILES\\Finance-Laser",
                      local ? "USB001" : "\\\\SRV-FILES\\Finance-Laser");
    }

    logoff(to, session, SECP_LOGON_INTERACTIVE);

    // The backup agent of the file server reads the documents at noon.
    const std::uint32_t noon = from - from % kDay + 12 * kHour + random_.Below(10 * kMinute);
    if (noon > from && noon < to) {
        const Session agent = logon(noon, DomainUser("svc-keepsafe"), SECP_LOGON_NETWORK, "NetAuth", "Kerberos",
                                    kFileServer);
        logoff(noon + random_.Between(30, 400), agent, SECP_LOGON_NETWORK);
    }
}

void DemoActivity::adminSession(std::uint32_t t, const DemoUser& admin)
{
    const Session s = logon(t, admin, SECP_LOGON_REMOTE, "Remote Session", "Kerberos", "WKS-IT01");
    const std::string who = std::string(kDomain) + "\\" + admin.name;
    std::uint32_t at = t + random_.Between(60, 600);
    switch (random_.Below(5)) {
    case 0: {
        const char* products[][2] = {{"Tallysheet", "7.0.4"}, {"Postmark Mail", "2.9.15"}, {"Sundial Calendar", "1.9.0"},
                                     {"Ledgerline Client", "3.1.1"}, {"PDF Lantern", "11.2"}};
        const auto& product = products[random_.Below(std::size(products))];
        if (random_.Chance(150)) {
            app(at, kSourcePackageInstaller, PI_INSTALL_FAILED, kError, 0,
                {product[0], product[1], "Copy files", "There is not enough space on drive C:."}, s.sid);
        } else {
            app(at, kSourcePackageInstaller, PI_PRODUCT_INSTALLED, kSuccess, 0,
                {product[0], product[1], who, "completed without errors"}, s.sid);
            if (random_.Chance(300))
                app(at + 5, kSourcePackageInstaller, PI_RESTART_NEEDED, kWarning, 0,
                    {product[0], number(random_.Between(1, 4))}, s.sid);
        }
        break;
    }
    case 1:
        app(at, kSourcePackageInstaller, PI_PRODUCT_REMOVED, kInformation, 0,
            {random_.Pick({"Trial Toolbar", "PDF Lantern", "Old Scanner Utilities"}), "1.0", who}, s.sid);
        break;
    case 2:
        sys(at, kSourceServiceControl, SCM_CONTROL_SENT, kInformation, 0, {"Inkwell Print Spooler", "stop", who},
            s.sid);
        serviceState(at + 2, "Inkwell Print Spooler", "stopped");
        sys(at + 40, kSourceServiceControl, SCM_CONTROL_SENT, kInformation, 0, {"Inkwell Print Spooler", "start", who},
            s.sid);
        serviceState(at + 41, "Inkwell Print Spooler", "running");
        break;
    case 3:
        sys(at, kSourceServiceControl, SCM_START_TYPE_CHANGED, kInformation, 0,
            {random_.Pick({"Remote Registry", "Fault Monitor", "Package Installer"}), "automatic", "on demand"}, s.sid);
        break;
    default:
        audit(at, SEC_PRIVILEGED_SERVICE, true, 4,
              {"Security", "Local security authority", admin.name, kDomain, s.logonId, param(SECP_PRIV_AUDIT)},
              s.sid);
        break;
    }
    logoff(at + random_.Between(60, 1200), s, SECP_LOGON_REMOTE);
}

void DemoActivity::documentBackups(std::uint32_t from, std::uint32_t to, const DemoUser& user)
{
    const std::string target = std::string("\\\\") + kFileServer + "\\Backups\\" + computer_.name;
    for (std::uint32_t hour = 9; hour <= 17; hour += 2) {
        const std::uint32_t t = from - from % kDay + hour * kHour + random_.Below(90);
        if (t <= from || t + 5 * kMinute >= to)
            continue;
        const std::string job = "Documents every two hours";
        app(t, kSourceKeepsafe, KS_JOB_STARTED, kInformation, 1,
            {job, "C:\\Documents and Settings\\" + user.name + "\\My Documents", target});
        const std::uint32_t minutes = random_.Between(1, 4);
        const std::uint32_t end = t + minutes * kMinute + random_.Below(50);
        if (random_.Chance(12)) {
            app(end, kSourceKeepsafe, KS_MEDIA_OFFLINE, kError, 5, {target, "The network path was not found."});
            app(end + 1, kSourceKeepsafe, KS_JOB_FAILED, kError, 1,
                {job, number(minutes), "The backup target cannot be reached.", dateText(t) + " " + clockText(t + kHour)},
                {}, errorData(0x35, ++nextJob_));
        } else if (random_.Chance(40)) {
            app(end, kSourceKeepsafe, KS_JOB_SKIPPED_FILES, kWarning, 1,
                {job, number(random_.Between(1, 3)),
                 "C:\\Documents and Settings\\" + user.name + "\\Local Settings\\Postmark\\inbox.pmk",
                 "The file is open in another program."});
        } else {
            app(end, kSourceKeepsafe, KS_JOB_COMPLETED, kInformation, 1,
                {job, number(random_.Between(0, 140)), number(random_.Between(0, 90)), number(minutes), target});
        }
    }
    if (random_.Chance(20)) {
        const std::uint32_t t = from + random_.Below(to - from);
        app(t, kSourceKeepsafe, KS_RESTORE_COMPLETED, kInformation, 2,
            {number(random_.Between(1, 12)), "Documents every two hours " + dateText(t - kDay),
             "C:\\Documents and Settings\\" + user.name + "\\My Documents\\Restored",
             std::string(kDomain) + "\\" + user.name},
            userSid(user));
    }
}

void DemoActivity::printDocument(std::uint32_t t, const DemoUser& user, const std::string& printer,
                                 const std::string& port)
{
    const std::string job = number(++nextJob_);
    const std::string document = random_.Pick(documents());
    if (random_.Chance(40)) {
        sys(t, kSourceSpooler, IS_DOCUMENT_DELETED, kInformation, 0, {job, document, user.name, printer}, userSid(user));
        return;
    }
    const std::uint32_t pages = random_.Between(1, 14);
    sys(t, kSourceSpooler, IS_DOCUMENT_PRINTED, kInformation, 0,
        {job, document, user.name, printer, port, number(pages * random_.Between(9000, 160000)), number(pages)},
        userSid(user));
}

void DemoActivity::programFault(std::uint32_t t, const DemoUser& user)
{
    const Program& program = random_.Pick(deskPrograms());
    std::vector<BYTE> report = {'F', 'L', 'T', '1'};
    const std::vector<BYTE> rest = random_.Bytes(28 + random_.Below(36));
    report.insert(report.end(), rest.begin(), rest.end());
    char offset[16];
    std::snprintf(offset, sizeof offset, "0x%08x", random_.Between(0x1000, 0x2fffff));
    app(t, kSourceFaultMonitor, FM_PROGRAM_FAULT, kError, 0,
        {baseName(program.image), program.version, program.module, program.moduleVersion, offset,
         random_.Pick({"0xc0000005", "0xc0000005", "0xc0000094", "0xc00000fd"})},
        userSid(user), report);
    const std::string saved = "C:\\Documents and Settings\\" + user.name + "\\Local Settings\\Faults\\" +
                              baseName(program.image) + "-" + random_.Hex(8) + ".flt";
    app(t + 4, kSourceFaultMonitor, FM_REPORT_SAVED, kInformation, 0, {baseName(program.image), saved}, userSid(user));
    if (random_.Chance(150))
        app(t + 60, kSourceFaultMonitor, FM_REPORTS_NOT_SENT, kWarning, 0,
            {number(random_.Between(1, 5)), "reports.example.net", "The server did not answer."});
}

// --- the file server and domain controller ---

void DemoActivity::fileServerDay(std::uint32_t midnight, int weekday)
{
    if (!running_)
        boot(midnight + random_.Below(kHour));
    const bool patchDay = weekday == 1 && dayOfMonth(midnight) >= 8 && dayOfMonth(midnight) <= 14;
    housekeeping(midnight, midnight + kDay);

    nightlyBackup(midnight + kHour + random_.Below(10 * kMinute), "Nightly shares", "D:\\Shares",
                  "Tape library, slot " + number(1 + weekday), 2400, 9600);
    if (weekday == 6) {
        const std::uint32_t t = midnight + 6 * kHour + random_.Below(kHour);
        const std::string set = "Nightly shares " + dateText(midnight);
        if (random_.Chance(120))
            app(t, kSourceKeepsafe, KS_VERIFY_MISMATCH, kError, 3,
                {set, number(random_.Between(1, 4)), "D:\\Shares\\Accounting\\2024\\Q3 closing.tly"});
        else
            app(t, kSourceKeepsafe, KS_VERIFY_PASSED, kInformation, 3, {set, number(random_.Between(2400, 9600))});
    }
    if (dayOfMonth(midnight) == 1)
        app(midnight + 5 * kHour, kSourceKeepsafe, KS_CATALOG_REBUILT, kInformation, 4,
            {"Tape library", number(random_.Between(180, 260))});
    for (std::uint32_t t = midnight + random_.Below(2 * kHour); t < midnight + kDay; t += 8 * kHour)
        app(t, kSourcePolicyAgent, PA_COMPUTER_POLICY_APPLIED, kInformation, 0,
            {kFileServer, number(random_.Between(150, 900)), number(random_.Below(2))});
    // Snapshots of the shares every three hours of the working day.
    for (std::uint32_t hour = 7; hour <= 19; hour += 3) {
        const std::uint32_t t = midnight + hour * kHour + random_.Below(60);
        const std::string job = "Share snapshot";
        const std::string target = "E:\\Snapshots";
        app(t, kSourceKeepsafe, KS_JOB_STARTED, kInformation, 1, {job, "D:\\Shares", target});
        const std::uint32_t minutes = random_.Between(2, 9);
        if (random_.Chance(25))
            app(t + minutes * kMinute, kSourceKeepsafe, KS_JOB_SKIPPED_FILES, kWarning, 1,
                {job, number(random_.Between(1, 6)), "D:\\Shares\\Sales\\~lock.forecast.tly",
                 "Another program holds the file locked."});
        else
            app(t + minutes * kMinute, kSourceKeepsafe, KS_JOB_COMPLETED, kInformation, 1,
                {job, number(weekday < 5 ? random_.Between(20, 900) : random_.Below(10)),
                 number(random_.Between(1, 700)), number(minutes), target});
    }

    if (weekday < 5) {
        domainUsersDay(midnight);
        if (random_.Chance(250))
            accountManagement(midnight + 9 * kHour + random_.Below(8 * kHour));
        if (random_.Chance(60))
            adminSession(midnight + 9 * kHour + random_.Below(8 * kHour), DomainUser("tmarsh"));
    }
    if (random_.Chance(40)) {
        const std::uint32_t when = midnight + random_.Below(kDay);
        sys(when, kSourceDiskWatch, DW_LOW_SPACE, kWarning, 2,
            {"D:", number(random_.Between(900, 4000)), number(random_.Between(2, 6))});
    }
    if (random_.Chance(4)) {
        std::vector<BYTE> sector = random_.Bytes(32);
        const std::uint32_t when = midnight + random_.Below(kDay);
        sys(when, kSourceDiskWatch, DW_BAD_BLOCK, kError, 1,
            {"2", number(random_.Between(100000, 900000000)), "reading"}, {}, sector);
    }
    if (random_.Chance(15)) {
        const std::uint32_t when = midnight + 9 * kHour + random_.Below(8 * kHour);
        sys(when, kSourceSpooler, IS_PORT_UNREACHABLE, kWarning, 0,
            {random_.Pick({"Finance-Laser", "Office-Colour", "Plotter-2F"}), "IP_10.20.0.3" + number(random_.Between(1, 5)),
             "60"});
    }
    if (random_.Chance(5)) {
        const std::uint32_t t = midnight + 9 * kHour + random_.Below(8 * kHour);
        sys(t, kSourceSpooler, IS_DRIVER_FAILED, kError, 0,
            {"Plotline PX-9 driver", "Plotter-2F", "The driver file is damaged."}, {}, errorData(0x7E, 0x2F));
    }
    if (random_.Chance(10)) {
        const std::uint32_t when = midnight + 9 * kHour + random_.Below(8 * kHour);
        sys(when, kSourceSpooler, IS_PRINTER_PAUSED, kWarning, 0,
            {random_.Pick({"Finance-Laser", "Office-Colour", "Plotter-2F"}), std::string(kDomain) + "\\tmarsh"},
            userSid(DomainUser("tmarsh")));
    }
    if (patchDay)
        patchNight(midnight + 22 * kHour + random_.Below(kHour));
    else if (random_.Chance(3)) {
        const std::uint32_t t = midnight + random_.Below(kDay);
        sys(t, kSourceServiceControl, SCM_SERVICE_CRASHED, kError, 0,
            {"Inkwell Print Spooler", number(++crashes_), "restart the service", "60"});
        serviceState(t + 61, "Inkwell Print Spooler", "running");
    }
}

void DemoActivity::nightlyBackup(std::uint32_t t, const std::string& job, const std::string& selection,
                                 const std::string& target, std::uint32_t minFiles, std::uint32_t maxFiles)
{
    const Session s = logon(t - 5, DomainUser("svc-keepsafe"), SECP_LOGON_BATCH, "Keepsafe", "Kerberos", computer_.name);
    audit(t - 4, SEC_PRIVILEGED_SERVICE, true, 4,
          {"Security", "Keepsafe Backup Agent", s.user, kDomain, s.logonId, param(SECP_PRIV_BACKUP)}, s.sid);
    app(t, kSourceKeepsafe, KS_JOB_STARTED, kInformation, 1, {job, selection, target});
    const std::uint32_t minutes = random_.Between(40, 150);
    const std::uint32_t end = t + minutes * kMinute;
    if (random_.Chance(20)) {
        app(end, kSourceKeepsafe, KS_MEDIA_OFFLINE, kError, 5, {target, "The tape drive reports no medium."});
        app(end + 2, kSourceKeepsafe, KS_JOB_FAILED, kError, 1,
            {job, number(minutes), "The backup target is not ready.", dateText(t + kDay) + " " + clockText(t)}, {},
            errorData(0x15, ++nextJob_));
    } else if (random_.Chance(60)) {
        app(end, kSourceKeepsafe, KS_JOB_SKIPPED_FILES, kWarning, 1,
            {job, number(random_.Between(1, 30)), selection + "\\Accounting\\~lock.Q3 closing.tly",
             "Another program holds the file locked."});
    } else {
        app(end, kSourceKeepsafe, KS_JOB_COMPLETED, kInformation, 1,
            {job, number(random_.Between(minFiles, maxFiles)), number(random_.Between(4000, 22000)), number(minutes),
             target});
    }
    if (random_.Chance(30))
        app(end + 10, kSourceKeepsafe, KS_MEDIA_LOW, kWarning, 5,
            {target, number(random_.Between(8, 40)), number(random_.Between(45, 60))});
    logoff(end + 20, s, SECP_LOGON_BATCH);
}

void DemoActivity::domainUsersDay(std::uint32_t midnight)
{
    for (const DemoUser* user : people()) {
        if (random_.Chance(80))
            continue; // away today
        const std::string workstation = workstationOf(*user);
        std::uint32_t t = midnight + 7 * kHour + 30 * kMinute + random_.Below(90 * kMinute);
        const bool wrong = random_.Chance(50);
        if (wrong) {
            audit(t - 20, SEC_CREDENTIALS_CHECKED, false, 9,
                  {"Kerberos", user->name, workstation, param(SECP_RESULT_WRONG_PASSWORD)}, kSystemSid);
            audit(t - 20, SEC_LOGON_FAILURE, false, 2,
                  {param(SECP_FAIL_BAD_PASSWORD), user->name, kDomain, param(SECP_LOGON_NETWORK), "NetAuth", "Kerberos",
                   workstation},
                  kSystemSid);
        }
        audit(t, SEC_CREDENTIALS_CHECKED, true, 9, {"Kerberos", user->name, workstation, param(SECP_RESULT_ACCEPTED)},
              kSystemSid);
        // Shares and printers during the day.
        const std::uint32_t visits = random_.Between(1, 3);
        for (std::uint32_t i = 0; i < visits; ++i) {
            t += random_.Between(5 * kMinute, 3 * kHour);
            const Session s = logon(t, *user, SECP_LOGON_NETWORK, "NetAuth", "Kerberos", workstation);
            if (random_.Chance(350)) {
                const char* folders[] = {"Accounting", "Sales", "Board", "Projects\\Harbour extension", "Templates"};
                const std::string folder = std::string("D:\\Shares\\") + folders[random_.Below(std::size(folders))];
                const std::string file =
                    folder + "\\" + random_.Pick({"summary.tly", "contacts.qpd", "plan 2025.qpd", "Übersicht.tly"});
                const std::string handle = newHandleId();
                const std::string pid = "4";
                audit(t + 5, SEC_OBJECT_OPENED, true, 3,
                      {"Security", "File", file, handle, pid, user->name, kDomain, s.logonId,
                       accessList({SECP_READ_DATA, SECP_WRITE_DATA, SECP_READ_ATTRIBUTES, SECP_SYNCHRONISE})},
                      s.sid);
                audit(t + random_.Between(60, 1800), SEC_HANDLE_CLOSED, true, 3, {"Security", handle, pid}, s.sid);
            }
            if (random_.Chance(400)) {
                const char* printers[][2] = {{"Finance-Laser", "IP_10.20.0.31"},
                                             {"Office-Colour", "IP_10.20.0.32"},
                                             {"Plotter-2F", "IP_10.20.0.35"}};
                const auto& printer = printers[random_.Below(user->rid % 2 ? 2 : 3)];
                printDocument(t + random_.Between(30, 900), *user, printer[0], printer[1]);
            }
            logoff(t + random_.Between(2 * kMinute, 2 * kHour), s, SECP_LOGON_NETWORK);
        }
        if (random_.Chance(30)) {
            audit(t + 40, SEC_DIRECTORY_OBJECT_READ, true, 8,
                  {"CN=" + user->fullName + ",OU=Staff,DC=ostrivel,DC=example", "user", user->name, kDomain,
                   param(SECP_READ_DATA)},
                  userSid(*user));
        }
    }
}

void DemoActivity::accountManagement(std::uint32_t t)
{
    const DemoUser& admin = DomainUser("tmarsh");
    const std::vector<const DemoUser*> staff = people();
    const DemoUser& user = *staff[random_.Below(static_cast<std::uint32_t>(staff.size()))];
    const std::string workstation = workstationOf(user);
    switch (random_.Below(5)) {
    case 0:
        audit(t, SEC_PASSWORD_RESET, true, 7, {user.name, kDomain, kDomain, admin.name}, userSid(admin));
        audit(t + 1, SEC_ACCOUNT_CHANGED, true, 7, {user.name, kDomain, param(SECP_CHANGE_MUST_CHANGE), kDomain, admin.name},
              userSid(admin));
        break;
    case 1: {
        // Someone keeps trying an old password until the account locks.
        const std::uint32_t tries = random_.Between(3, 5);
        for (std::uint32_t i = 0; i < tries; ++i)
            audit(t + i * 15, SEC_LOGON_FAILURE, false, 2,
                  {param(SECP_FAIL_BAD_PASSWORD), user.name, kDomain, param(SECP_LOGON_NETWORK), "NetAuth", "Kerberos",
                   workstation},
                  kSystemSid);
        audit(t + tries * 15, SEC_ACCOUNT_LOCKED, true, 7, {user.name, kDomain, workstation}, kSystemSid);
        audit(t + tries * 15 + 40, SEC_LOGON_FAILURE, false, 2,
              {param(SECP_FAIL_LOCKED), user.name, kDomain, param(SECP_LOGON_NETWORK), "NetAuth", "Kerberos", workstation},
              kSystemSid);
        const std::uint32_t unlock = t + tries * 15 + random_.Between(10 * kMinute, 2 * kHour);
        audit(unlock, SEC_ACCOUNT_UNLOCKED, true, 7, {user.name, kDomain, kDomain, admin.name}, userSid(admin));
        audit(unlock + 5, SEC_PASSWORD_RESET, true, 7, {user.name, kDomain, kDomain, admin.name}, userSid(admin));
        break;
    }
    case 2:
        audit(t, SEC_PASSWORD_CHANGED, true, 7, {user.name, kDomain, workstation}, userSid(user));
        break;
    case 3:
        audit(t, SEC_GROUP_MEMBER_ADDED, true, 7,
              {std::string(kDomain) + "\\" + user.name, random_.Pick({"Accounting", "Domain Users"}), kDomain, kDomain,
               admin.name},
              userSid(admin));
        break;
    default:
        audit(t, SEC_ACCOUNT_CHANGED, true, 7,
              {"rlanders", kDomain, param(SECP_CHANGE_DISABLED), kDomain, admin.name}, userSid(admin));
        break;
    }
}

// --- the database and web server ---

void DemoActivity::databaseServerDay(std::uint32_t midnight, int weekday)
{
    if (!running_)
        boot(midnight + random_.Below(kHour));
    const bool patchDay = weekday == 2 && dayOfMonth(midnight) >= 9 && dayOfMonth(midnight) <= 15;
    if (random_.Chance(4)) {
        // The power supply fails; the server comes back by itself.
        const std::uint32_t cut = midnight + random_.Below(kDay - 2 * kHour);
        housekeeping(midnight, cut);
        databaseDay(midnight, weekday);
        powerFailure();
        boot(cut + random_.Between(3 * kMinute, 20 * kMinute));
        housekeeping(cut + 20 * kMinute, midnight + kDay);
    } else {
        housekeeping(midnight, midnight + kDay);
        databaseDay(midnight, weekday);
    }
    webServerDay(midnight, weekday);
    // The database's index maintenance runs as a service of its own at night.
    const std::uint32_t maintenance = midnight + kHour + 30 * kMinute + random_.Below(5 * kMinute);
    const DemoUser& ledger = DomainUser("svc-ledger");
    sys(maintenance, kSourceServiceControl, SCM_CONTROL_SENT, kInformation, 0,
        {"Ledgerline Index Maintenance", "start", std::string(kDomain) + "\\" + ledger.name}, userSid(ledger));
    serviceState(maintenance + 1, "Ledgerline Index Maintenance", "running");
    serviceState(maintenance + random_.Between(6 * kMinute, 40 * kMinute), "Ledgerline Index Maintenance", "stopped");
    nightlyBackup(midnight + 3 * kHour + random_.Below(10 * kMinute), "Database dumps", "D:\\Ledgerline\\Dumps",
                  std::string("\\\\") + kFileServer + "\\Backups\\" + computer_.name, 3, 40);

    if (weekday < 5) {
        // People use the intranet and the ledger portal.
        const std::vector<const DemoUser*> staff = people();
        const std::uint32_t visits = random_.Between(3, 9);
        for (std::uint32_t i = 0; i < visits; ++i) {
            const DemoUser& user = *staff[random_.Below(static_cast<std::uint32_t>(staff.size()))];
            const std::uint32_t t = midnight + 8 * kHour + random_.Below(9 * kHour);
            const Session s = logon(t, user, SECP_LOGON_NETWORK, "NetAuth", "Kerberos", workstationOf(user));
            logoff(t + random_.Between(kMinute, kHour), s, SECP_LOGON_NETWORK);
        }
        if (random_.Chance(120)) {
            const DemoUser& admin = DomainUser("tmarsh");
            adminSession(midnight + 9 * kHour + random_.Below(8 * kHour), admin);
        }
        if (random_.Chance(60)) {
            // The local administrator, for the database's maintenance.
            const std::uint32_t t = midnight + 18 * kHour + random_.Below(3 * kHour);
            const std::string sid = LocalSid(computer_, 500);
            const std::string id = newLogonId();
            audit(t, SEC_LOGON_SUCCESS, true, 2,
                  {"Administrator", computer_.name, id, param(SECP_LOGON_REMOTE), "Remote Session", "NTLM", "WKS-IT01"},
                  kSystemSid);
            audit(t, SEC_PRIVILEGES_ASSIGNED, true, 2,
                  {"Administrator", computer_.name, id, accessList({SECP_PRIV_BACKUP, SECP_PRIV_DEBUG})}, sid);
            const std::string pid = newProcessId();
            audit(t + 60, SEC_PROCESS_CREATED, true, 5,
                  {pid, "C:\\Program Files\\Ledgerline\\bin\\llconsole.exe", "2212", "Administrator", computer_.name, id},
                  sid);
            audit(t + 1800, SEC_PROCESS_EXITED, true, 5,
                  {pid, "C:\\Program Files\\Ledgerline\\bin\\llconsole.exe", "Administrator", computer_.name, id}, sid);
            audit(t + 1900, SEC_LOGOFF, true, 2, {"Administrator", computer_.name, id, param(SECP_LOGON_REMOTE)}, sid);
        }
    }
    if (random_.Chance(40))
        intruder(midnight + random_.Below(kDay));
    if (random_.Chance(20)) {
        const std::uint32_t t = midnight + random_.Below(kDay);
        const std::string sid = LocalSid(computer_, 1000);
        audit(t, SEC_OBJECT_OPENED, true, 3,
              {"Security", "File", "D:\\Ledgerline\\Data\\Payroll.ldb", newHandleId(), newProcessId(), "ledgeradmin",
               computer_.name, newLogonId(),
               accessList({SECP_READ_DATA, SECP_WRITE_DATA, SECP_WRITE_ATTRIBUTES, SECP_WRITE_SECURITY})},
              sid);
    }
    // A disk of the database begins to fail in the autumn.
    if (midnight >= Midnight(2024, 9, 20) && weekday == 0)
        sys(midnight + 4 * kHour, kSourceDiskWatch, DW_FAILURE_PREDICTED, kWarning, 1,
            {"1", "Veltra VX-600", "VX6-88213-Q", "the count of reallocated sectors", number(random_.Between(140, 260)),
             "120"});
    if (random_.Chance(3)) {
        const std::uint32_t t = midnight + random_.Below(kDay);
        sys(t, kSourceDiskWatch, DW_DELAYED_WRITE_FAILED, kError, 3,
            {"D:\\Ledgerline\\Logs\\Ledger2024.llg", "The device did not answer in time."}, {},
            errorData(0x79, random_.Below(0xFFFF)));
    }
    if (patchDay)
        patchNight(midnight + 21 * kHour + random_.Below(kHour));
}

void DemoActivity::databaseDay(std::uint32_t midnight, int weekday)
{
    const char* databases[] = {"Ledger2024", "Payroll", "Ledger2023"};
    // Log backups every four hours, a full or differential backup at night.
    for (std::uint32_t hour = 4; hour < 24; hour += 4) {
        const std::uint32_t t = midnight + hour * kHour + random_.Below(120);
        app(t, kSourceLedgerline, LL_BACKUP_COMPLETED, kInformation, 4,
            {"Ledger2024", "D:\\Ledgerline\\Dumps\\Ledger2024-" + dateText(t) + "-" + number(hour) + ".lll",
             param(LLP_BACKUP_LOG), number(random_.Between(4, 90)), number(random_.Between(2, 40))});
    }
    for (const char* database : databases) {
        const std::uint32_t t = midnight + 2 * kHour + random_.Below(20 * kMinute);
        const bool full = weekday == 6;
        app(t, kSourceLedgerline, LL_BACKUP_COMPLETED, kInformation, 4,
            {database, std::string("D:\\Ledgerline\\Dumps\\") + database + "-" + dateText(t) + (full ? ".llf" : ".lld"),
             param(full ? LLP_BACKUP_FULL : LLP_BACKUP_DIFFERENTIAL),
             number(full ? random_.Between(2000, 9000) : random_.Between(60, 900)),
             number(full ? random_.Between(200, 900) : random_.Between(10, 120))});
    }
    if (weekday < 5) {
        if (random_.Chance(150)) {
            const std::uint32_t when = midnight + 10 * kHour + random_.Below(7 * kHour);
            app(when, kSourceLedgerline, LL_LONG_TRANSACTION, kWarning, 2,
                {number(random_.Between(51, 400)), random_.Pick({"ledger_app", "payroll_batch", "OSTRIVEL\\bkeller"}),
                 number(random_.Between(20, 180)), number(random_.Between(40, 9000))});
        }
        if (random_.Chance(60)) {
            const std::uint32_t when = midnight + 10 * kHour + random_.Below(7 * kHour);
            std::vector<BYTE> graph = random_.Bytes(24);
            app(when, kSourceLedgerline, LL_DEADLOCK, kError, 2,
                {number(random_.Between(51, 400)), number(random_.Between(51, 400)),
                 random_.Pick({"journal_lines", "open_items", "accounts"})},
                {}, std::move(graph));
        }
    }
    if (random_.Chance(50)) {
        const std::uint32_t when = midnight + random_.Below(kDay);
        app(when, kSourceLedgerline, LL_LOG_FILLING, kWarning, 3,
            {random_.Pick({"Ledger2024", "Payroll"}), number(random_.Between(80, 97))});
    }
    if (random_.Chance(100)) {
        const std::uint32_t when = midnight + random_.Below(kDay);
        app(when, kSourceLedgerline, LL_LOGIN_REFUSED, kWarning, 5,
            {random_.Pick({"report_reader", "sa", "payroll_batch", "OSTRIVEL\\fvidal"}),
             "10.20.0." + number(random_.Between(40, 90)),
             param(random_.Chance(600) ? LLP_LOGIN_WRONG_PASSWORD
                                       : random_.Chance(700) ? LLP_LOGIN_UNKNOWN : LLP_LOGIN_DISABLED)});
    }
    if (random_.Chance(5)) {
        std::vector<BYTE> header = {'L', 'L', 'P', 'G'};
        const std::vector<BYTE> rest = random_.Bytes(44);
        header.insert(header.end(), rest.begin(), rest.end());
        const std::uint32_t when = midnight + random_.Below(kDay);
        app(when, kSourceLedgerline, LL_PAGE_CHECKSUM, kError, 3,
            {number(random_.Between(1000, 900000)), "D:\\Ledgerline\\Data\\Ledger2024.ldb", "0x" + random_.Hex(8),
             "0x" + random_.Hex(8)},
            {}, header);
    }
    if (random_.Chance(8))
        app(midnight + 23 * kHour, kSourceLedgerline, LL_DATABASE_OPENED, kInformation, 1,
            {"Payroll", param(LLP_ACCESS_MAINTENANCE)});
}

void DemoActivity::webServerDay(std::uint32_t midnight, int weekday)
{
    if (weekday < 5 && random_.Chance(250)) {
        const std::uint32_t when = midnight + 9 * kHour + random_.Below(8 * kHour);
        app(when, kSourceHarbor, HB_SITE_SLOW, kWarning, 2,
            {random_.Pick({"Intranet", "Ledger portal"}), number(random_.Between(300, 4000)),
             number(random_.Between(900, 6000)), "800"});
    }
    if (random_.Chance(200)) {
        const std::uint32_t when = midnight + random_.Below(kDay);
        app(when, kSourceHarbor, HB_WORKER_RECYCLED, kWarning, 3,
            {number(random_.Between(1000, 8000)), random_.Pick({"IntranetPool", "LedgerPool"}), "512"});
    }
    if (random_.Chance(30)) {
        const std::string request = "GET /ledger/reports/open-items?period=2024-" +
                                    number(random_.Between(1, 9)) + " HTTP/1.1";
        const std::uint32_t when = midnight + random_.Below(kDay);
        app(when, kSourceHarbor, HB_WORKER_FAILED, kError, 3,
            {number(random_.Between(1000, 8000)), "LedgerPool", "0xC0000005"}, {},
            std::vector<BYTE>(request.begin(), request.end()));
    }
    if (random_.Chance(25)) {
        const std::uint32_t when = midnight + 9 * kHour + random_.Below(8 * kHour);
        app(when, kSourceHarbor, HB_CONFIGURATION_RELOADED, kInformation,
            5, {"D:\\Web\\harbor.conf", number(random_.Between(1, 3))});
    }
    if (random_.Chance(6))
        app(midnight + random_.Below(kDay), kSourceHarbor, HB_MODULE_FAILED, kError, 5,
            {"Ledger gateway", "C:\\Program Files\\Harbor\\modules\\llgate.hmod",
             "The module needs Ledgerline Client 3.1 or later."});
    if (random_.Chance(3))
        app(midnight + random_.Below(kDay), kSourceHarbor, HB_BIND_FAILED, kError, 1, {"Status page", "0.0.0.0:80"});
    // The intranet's certificate runs out on 20 November.
    const std::uint32_t expiry = Midnight(2024, 11, 20);
    if (midnight + 45 * kDay >= expiry && midnight < expiry)
        app(midnight + 6 * kHour, kSourceHarbor, HB_CERTIFICATE_EXPIRING, kWarning, 4,
            {"intranet.ostrivel.example", "Ostrivel Internal CA", "2024-11-20", number((expiry - midnight) / kDay)});
}

void DemoActivity::intruder(std::uint32_t t)
{
    // Somebody tries common account names from an unknown computer.
    const std::uint32_t tries = random_.Between(4, 14);
    const std::string from = "UNKNOWN-" + random_.Hex(4);
    for (std::uint32_t i = 0; i < tries; ++i) {
        const std::uint32_t when = t + i * random_.Between(1, 4);
        audit(when, SEC_LOGON_FAILURE, false, 2,
              {param(SECP_FAIL_BAD_PASSWORD), random_.Pick({"admin", "administrator", "sa", "test", "backup", "guest"}),
               from, param(SECP_LOGON_NETWORK), "NetAuth", "NTLM", from},
              kSystemSid);
    }
}

} // namespace demosite
