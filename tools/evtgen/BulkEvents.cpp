#include "BulkEvents.h"

#include "platform/EventLogService.h"

#include <iterator>

namespace evtgen {
namespace {

using platform::evt::EvtRecord;

const char* const kComputers[] = {"SRV-FILES01", "SRV-DC01", "WS-ACCOUNTING7", "WS-LAB-12", "KIOSK3"};
const char* const kServices[] = {"Print Spooler",        "Windows Time",      "DHCP Client",
                                 "Remote Registry",      "Task Scheduler",    "Druckwarteschlange",
                                 "Служба времени Windows", "Windows 更新服务",  "Workstation"};
const char* const kStates[] = {"running", "stopped", "paused"};
const char* const kUsers[] = {"Administrator", "jdoe", "mmüller", "svc_backup", "ÅsaLindqvist", "ivanov"};
const char* const kDomains[] = {"CORP", "WORKGROUP", "LAB"};
const char* const kApps[] = {"winword.exe", "excel.exe", "explorer.exe", "sqlservr.exe", "quellvane.exe"};

std::vector<BYTE> domainSid(std::uint32_t rid)
{
    std::vector<BYTE> sid;
    platform::evt::SidFromText("S-1-5-21-1004336348-1177238915-682003330-" + std::to_string(rid), sid);
    return sid;
}

} // namespace

BulkEvents::BulkEvents(std::uint64_t seed, std::uint32_t startTime, std::uint32_t maxStep, std::string computer)
    : state_(seed)
    , time_(startTime)
    , maxStep_(maxStep == 0 ? 1 : maxStep)
    , computer_(std::move(computer))
{
}

std::uint64_t BulkEvents::random()
{
    // splitmix64: small, fast and the same everywhere
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

EvtRecord BulkEvents::next()
{
    time_ += 1 + below(maxStep_);
    EvtRecord r;
    r.timeGenerated = time_ - below(3);
    r.timeWritten = time_;
    r.computer = computer_.empty() ? pick(kComputers, std::size(kComputers)) : computer_;
    switch (below(10)) {
    case 0:
    case 1:
    case 2: // a service changed its state
        r.source = "Service Control Manager";
        r.eventId = 0x40001B7C; // 7036 | informational severity
        r.eventType = EVENTLOG_INFORMATION_TYPE;
        r.strings = {pick(kServices, std::size(kServices)), pick(kStates, std::size(kStates))};
        break;
    case 3: // a service failed to start
        r.source = "Service Control Manager";
        r.eventId = 0xC0001B58; // 7000 | error severity
        r.eventType = EVENTLOG_ERROR_TYPE;
        r.strings = {pick(kServices, std::size(kServices)), "%%1053"};
        break;
    case 4:
    case 5: { // a logon
        r.source = "Security";
        r.eventId = 528;
        r.eventCategory = 2;
        r.eventType = EVENTLOG_AUDIT_SUCCESS;
        const std::uint32_t user = below(static_cast<std::uint32_t>(std::size(kUsers)));
        r.sid = domainSid(1000 + user);
        r.strings = {kUsers[user], pick(kDomains, std::size(kDomains)), "(0x0,0x" + std::to_string(random() % 0xFFFFF) + ")",
                     std::to_string(2 + below(9)), "User32", "Negotiate", r.computer};
        break;
    }
    case 6: // a failed logon
        r.source = "Security";
        r.eventId = 529;
        r.eventCategory = 2;
        r.eventType = EVENTLOG_AUDIT_FAILURE;
        r.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}; // S-1-5-18
        r.strings = {"Unknown user name or bad password", pick(kUsers, std::size(kUsers)),
                     pick(kDomains, std::size(kDomains)), "3"};
        break;
    case 7: { // an application fault with a dump of data
        r.source = "Application Error";
        r.eventId = 1000;
        r.eventCategory = 100;
        r.eventType = EVENTLOG_ERROR_TYPE;
        r.strings = {pick(kApps, std::size(kApps)), "6.1.7601.17514", "ntdll.dll", "0x" + std::to_string(random() % 99999)};
        const std::uint32_t n = 8 + 4 * below(8);
        for (std::uint32_t i = 0; i < n; ++i)
            r.data.push_back(static_cast<BYTE>(random()));
        break;
    }
    case 8: // a network warning with its status in the data
        r.source = "Tcpip";
        r.eventId = 0x80001067; // 4199 | warning severity
        r.eventType = EVENTLOG_WARNING_TYPE;
        r.strings = {"192.168." + std::to_string(below(255)) + "." + std::to_string(1 + below(254)),
                     "00:0C:29:" + std::to_string(10 + below(89)) + ":4F:A1"};
        r.data = {0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x54, 0x00, 0x00, 0x00, 0x00, 0x00, 0x67, 0x10, 0x00, 0x80};
        break;
    default: // the log service itself
        r.source = "EventLog";
        r.eventId = 0x80001775 + below(4); // 6005 to 6008
        r.eventType = EVENTLOG_INFORMATION_TYPE;
        break;
    }
    return r;
}

} // namespace evtgen
