#pragma once
// A small network for the main window's tests: the local computer WKS1
// and the server SRV1 with the usual logs (the Application logs of known
// sizes), SRV9, which does not answer, and SRV7, which answers only a
// connection with credentials.  The site is current, with
// a current user's registry file of its own, for the life of the object.

#include "SiteBuilder.h"

#include "tools/evtgen/EvtGenerator.h"

#include <stdexcept>
#include <string>

class MainWindowSite {
public:
    static constexpr int kLocalEvents = 12;
    static constexpr int kServerEvents = 7;

    SiteBuilder site;

    MainWindowSite()
    {
        site.Local("WKS1").StandardEventLogs("WKS1");
        site.Computer("SRV1").StandardEventLogs("SRV1");
        site.Computer("SRV9", {.reachable = false});
        site.Computer("SRV7", {.requiresConnection = true}).StandardEventLogs("SRV7");
        for (const char* computer : {"WKS1", "SRV1"}) {
            WriteLog(computer, "AppEvent.Evt", computer == std::string("WKS1") ? kLocalEvents : kServerEvents);
            WriteLog(computer, "SecEvent.Evt", 3);
            WriteLog(computer, "SysEvent.Evt", 4);
        }
        site.Load();
    }

    std::string UserRegistryFile() const { return site.UserRegistryFile(); }

private:
    void WriteLog(const std::string& computer, const std::string& file, int events)
    {
        const std::string path = site.DriveFile(computer, "WINDOWS\\system32\\config\\" + file, "");
        const std::string description = "clock time=2021-03-04T05:06:07Z\nevent type=warning source=Userenv id=1517 "
                                        "repeat=" +
                                        std::to_string(events) + "\n";
        std::string error;
        if (!evtgen::WriteEvtLog(description, path, error))
            throw std::runtime_error("the test log is not written: " + error);
    }
};
