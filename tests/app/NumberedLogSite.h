#pragma once
// A site whose local computer WKS1 has an Application log of events
// numbered 1 to `count` in the order they were written (odd ones errors,
// even ones warnings, all of the source "Tester"), and small System and
// Security logs: for the tests of printing and previewing the event list.

#include "SiteBuilder.h"

#include "tools/evtgen/EvtGenerator.h"

#include <stdexcept>
#include <string>

class NumberedLogSite {
public:
    SiteBuilder site;

    explicit NumberedLogSite(int count)
    {
        site.Local("WKS1").StandardEventLogs("WKS1");
        std::string events = "clock time=2021-03-04T05:06:07Z\n";
        for (int id = 1; id <= count; ++id)
            events += std::string("event type=") + (id % 2 == 0 ? "warning" : "error") +
                      " source=Tester computer=WKS1 id=" + std::to_string(id) + "\n";
        WriteLog("AppEvent.Evt", events);
        WriteLog("SysEvent.Evt", "event source=EventLog id=6005\n");
        WriteLog("SecEvent.Evt", "event type=audit-success source=Security id=528\n");
        site.Load();
    }

private:
    void WriteLog(const std::string& file, const std::string& events)
    {
        const std::string path = site.DriveFile("WKS1", "WINDOWS\\system32\\config\\" + file, "");
        std::string error;
        if (!evtgen::WriteEvtLog(events, path, error))
            throw std::runtime_error("the test log is not written: " + error);
    }
};
