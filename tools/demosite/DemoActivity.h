#pragma once
// The life of one demo computer, day by day: it starts and shuts down,
// people log on, work, print and lock their screens, services back up,
// serve and fail now and then, and every step leaves its events in the
// computer's log book.  The same computer and period give the same events.

#include "DemoLogBook.h"
#include "DemoNetwork.h"
#include "DemoRandom.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demosite {

class DemoActivity {
public:
    // `seedOffset` gives another life to the same computer.
    DemoActivity(const DemoComputer& computer, DemoLogBook& book, std::uint64_t seedOffset = 0);

    // Lives `days` days from `start` (a midnight, seconds since 1970, UTC).
    void Run(std::uint32_t start, int days);

    // Midnight UTC of a date.
    static std::uint32_t Midnight(int year, int month, int day);

private:
    struct Session {
        std::string user;
        std::string sid;
        std::string logonId;
    };

    // --- the computer's life ---
    void boot(std::uint32_t t);
    void shutdown(std::uint32_t t, const DemoUser& by, bool restart, const std::string& reason);
    void powerFailure();
    void housekeeping(std::uint32_t from, std::uint32_t to);
    void patchNight(std::uint32_t t);

    // --- the days of each kind of computer ---
    void workstationDay(std::uint32_t midnight, int weekday);
    void fileServerDay(std::uint32_t midnight, int weekday);
    void databaseServerDay(std::uint32_t midnight, int weekday);

    // --- what happens during a day ---
    void deskSession(std::uint32_t from, std::uint32_t to, const DemoUser& user);
    void adminSession(std::uint32_t t, const DemoUser& admin);
    void documentBackups(std::uint32_t from, std::uint32_t to, const DemoUser& user);
    void nightlyBackup(std::uint32_t t, const std::string& job, const std::string& selection,
                       const std::string& target, std::uint32_t minFiles, std::uint32_t maxFiles);
    void domainUsersDay(std::uint32_t midnight);
    void accountManagement(std::uint32_t t);
    void databaseDay(std::uint32_t midnight, int weekday);
    void webServerDay(std::uint32_t midnight, int weekday);
    void intruder(std::uint32_t t);
    void printDocument(std::uint32_t t, const DemoUser& user, const std::string& printer, const std::string& port);
    void programFault(std::uint32_t t, const DemoUser& user);

    // --- writing events ---
    void app(std::uint32_t t, const char* source, DWORD id, WORD type, WORD category,
             std::vector<std::string> strings, const std::string& sid = {}, std::vector<BYTE> data = {});
    void sys(std::uint32_t t, const char* source, DWORD id, WORD type, WORD category,
             std::vector<std::string> strings, const std::string& sid = {}, std::vector<BYTE> data = {});
    void audit(std::uint32_t t, DWORD id, bool success, WORD category, std::vector<std::string> strings,
               const std::string& sid);
    Session logon(std::uint32_t t, const DemoUser& user, DWORD logonType, const std::string& process,
                  const std::string& package, const std::string& workstation);
    void logoff(std::uint32_t t, const Session& session, DWORD logonType);
    void serviceState(std::uint32_t t, const std::string& service, const char* state);

    // --- values ---
    std::string newLogonId();
    std::string newProcessId();
    std::string newHandleId();
    std::string userSid(const DemoUser& user) const;
    std::vector<std::string> services() const;
    std::string timeSource() const;
    std::vector<BYTE> errorData(DWORD code, DWORD extra);

    const DemoComputer& computer_;
    DemoLogBook& book_;
    DemoRandom random_;
    bool running_ = false;
    bool cleanShutdown_ = true;
    std::uint32_t bootTime_ = 0;
    std::uint32_t lastShutdown_ = 0;
    std::uint32_t nextLogon_ = 0;
    std::uint32_t nextProcess_ = 0;
    std::uint32_t nextJob_ = 0;
    std::uint32_t crashes_ = 0;
};

} // namespace demosite
