// Sorting, filtering, Find and undo in a log window of a million events,
// timed side by side with a bare walk of the same events (one pass that
// reads the fields the commands compare).  Descriptions come from compiled
// message files through the site's registry, and accounts from the local
// computer's accounts file, as on a real computer.
//
// Prints each command's time, its ratio to the bare walk and its goal.

#include "../app/GeneratedLogService.h"
#include "BenchPrompts.h"
#include "OffscreenQt.h"
#include "SiteBuilder.h"

#include "app/UserPrompts.h"
#include "app/filt_frm.h"
#include "app/logview.h"

#include "ntlib/FunctionBinding.h"

#include "platform/EvtRecord.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

// The events of the log; a first argument gives another number.
DWORD kEvents = 1'000'000;
constexpr char kOnlyInTheOldest[] = "needle-in-the-oldest";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The domain users of the events: the first half have accounts on the
// local computer, the others were deleted since, so that no account maps to
// their SIDs.
constexpr int kUsers = 8;

std::vector<BYTE> userSid(int user)
{
    std::vector<BYTE> sid;
    platform::evt::SidFromText("S-1-5-21-1004336348-1177238915-682003330-" + std::to_string(1000 + user), sid);
    return sid;
}

// The local computer with the Mirrorfield service's message files and the
// accounts of the users who still have one.
void buildSite(SiteBuilder& site)
{
    const std::string dir = QV_MESSAGE_FIXTURES;
    site.Local("WKS1");
    for (const char* file : {"mirror_events.dll", "mirror_more.dll", "mirror_parameters.dll", "mirror_categories.dll"})
        site.DriveFile("WKS1", std::string("WINDOWS\\system32\\") + file, readFile(dir + "/" + file));
    const std::string key = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";
    site.Registry("WKS1", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                          "\"SystemRoot\"=\"C:\\\\WINDOWS\"\n\n" +
                              key + "]\n\"File\"=" + SiteBuilder::ExpandSz("%SystemRoot%\\system32\\config\\AppEvent.Evt") +
                              "\n\n" + key + "\\Mirrorfield]\n\"EventMessageFile\"=" +
                              SiteBuilder::ExpandSz("%SystemRoot%\\system32\\mirror_events.dll;"
                                                    "%SystemRoot%\\system32\\mirror_more.dll") +
                              "\n\"ParameterMessageFile\"=" +
                              SiteBuilder::ExpandSz("%SystemRoot%\\system32\\mirror_parameters.dll") +
                              "\n\"CategoryMessageFile\"=" +
                              SiteBuilder::ExpandSz("%SystemRoot%\\system32\\mirror_categories.dll") + "\n\n" + key +
                              "\\Disk]\n\"TypesSupported\"=dword:00000007\n");
    std::string accounts;
    for (int user = 0; user < kUsers / 2; ++user)
        accounts += "S-1-5-21-1004336348-1177238915-682003330-" + std::to_string(1000 + user) + "  User  CORP\\user" +
                    std::to_string(user) + "\n";
    const std::filesystem::path registry = std::filesystem::path(site.HostDirectory("WKS1")) / "registry";
    std::filesystem::create_directories(registry);
    std::ofstream(registry / "accounts.txt", std::ios::binary) << accounts;
    site.Load();
}

// Events of the Mirrorfield service, and a few of a source without message
// files; a quarter by LocalSystem, a quarter by the domain users; only the
// oldest carries kOnlyInTheOldest.
TestRecord benchRecord(DWORD rn)
{
    static constexpr WORD kTypes[] = {EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE,
                                      EVENTLOG_AUDIT_SUCCESS, EVENTLOG_AUDIT_FAILURE};
    static const char* const kComputers[] = {"SRV-FILES", "SRV-VAULT", "WKS-DEMO"};
    TestRecord t;
    t.recordNumber = rn;
    t.timeGenerated = 1'600'000'000 + rn * 7;
    t.timeWritten = t.timeGenerated;
    t.eventType = kTypes[(rn * 7) % 5];
    t.category = static_cast<WORD>(1 + rn % 2);
    t.computer = kComputers[rn % 3];
    static const std::vector<BYTE> kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    static const std::vector<std::vector<BYTE>> kUserSids = [] {
        std::vector<std::vector<BYTE>> sids;
        for (int user = 0; user < kUsers; ++user)
            sids.push_back(userSid(user));
        return sids;
    }();
    if (rn % 4 == 0)
        t.sid = kSystem;
    else if (rn % 4 == 2)
        t.sid = kUserSids[(rn / 4) % kUsers];
    if (rn % 10 == 9) {
        t.source = "Disk";
        t.eventId = 0xC0000000u | 11;
        t.strings = {"\\Device\\Harddisk" + std::to_string(rn % 4)};
        return t;
    }
    t.source = "Mirrorfield";
    t.eventId = rn % 2 ? 100 : 101;
    t.strings = {rn == 1 ? kOnlyInTheOldest : "Nightly-" + std::to_string(rn % 97), std::to_string(rn % 5000),
                 "E:\\Mirror\\" + std::to_string(rn % 13)};
    return t;
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The filter dialog's next Execute gets these criteria and OK.
void answerDialog(std::function<void(TfrmFilterDesign&)> fill)
{
    QTimer::singleShot(0, [fill] {
        auto* form = qobject_cast<TfrmFilterDesign*>(QApplication::activeModalWidget());
        if (!form)
            throw std::runtime_error("no filter dialog");
        fill(*form);
        form->btnOK()->click();
    });
}

struct Row {
    std::string what;
    double seconds;
    double goal;
};

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QApplication app(argc, argv);
    if (argc > 1)
        kEvents = static_cast<DWORD>(std::stoul(argv[1]));

    SiteBuilder site;
    buildSite(site);
    GeneratedLogService service;
    service.count = kEvents;
    service.generate = benchRecord;
    ScopedSystemFunctions bound;
    NoPrompts prompts;
    ScopedUserPrompts usePrompts(prompts);

    QPointer<TfrmLogView> window = new TfrmLogView(nullptr);
    window->show();
    window->LoadEvents(QStringLiteral("Application"));
    if (window->Model().rowCount() != static_cast<int>(kEvents)) {
        std::fprintf(stderr, "the log did not load whole\n");
        return 1;
    }

    // The bare walk: one pass reading what the commands compare.
    double walk = 1e9;
    for (int i = 0; i < 5; ++i)
        walk = std::min(walk, secondsOf([&] {
                            std::uint64_t sum = 0;
                            for (TEventItem* e : window->Events())
                                sum += e->EventType + e->Source.size() + e->EventID + e->Category +
                                       static_cast<std::uint64_t>(e->TimeGenerated);
                            if (sum == 42)
                                std::puts("");
                        }));

    std::vector<Row> rows;
    const char* const keys[] = {"Type", "Date", "Time", "Event", "Source", "Category", "Domain\\User", "Computer",
                                "record number"};
    // The first sort by user looks every event's account up; the others
    // find it with the event.
    rows.push_back({"sort by Domain\\User, accounts looked up", secondsOf([&] { window->SortByColumn(6); }),
                    1.0});
    for (int key = 0; key < kSortKeyCount; ++key)
        for (int way = 0; way < 2; ++way)
            rows.push_back({std::string("sort by ") + keys[key] + (way ? ", back" : ""),
                            secondsOf([&] { window->SortByColumn(key); }), 0.5});

    answerDialog([](TfrmFilterDesign& f) {
        f.cbxInformation()->setChecked(false);
        f.cbxAuditSuccess()->setChecked(false);
        f.cbSources()->setEditText(QStringLiteral("mirrorfield"));
    });
    rows.push_back({"filter on types + source", secondsOf([&] { window->ApplyFilter(); }), 0.3});
    const QString typesStatus = window->StatusText();
    rows.push_back({"undo last filter", secondsOf([&] { window->UndoLastFilter(); }), 0.1});

    answerDialog([](TfrmFilterDesign& f) { f.edDescriptionText()->setText(QStringLiteral("e:\\mirror\\12")); });
    rows.push_back({"filter on description text", secondsOf([&] { window->ApplyFilter(); }), 2.0});
    const QString textStatus = window->StatusText();
    rows.push_back({"undo all filters", secondsOf([&] { window->UndoAllFilters(); }), 0.1});

    window->SetSortDirection(kRecordNumberSortKey, false);
    window->SortByColumn(kRecordNumberSortKey); // newest first: the oldest is at the bottom
    answerDialog([](TfrmFilterDesign& f) { f.edDescriptionText()->setText(QString::fromLatin1(kOnlyInTheOldest)); });
    rows.push_back({"find a text only the oldest event carries", secondsOf([&] { window->Find(); }), 2.0});
    const int found = window->SelectedIndex();

    std::printf("%d events; bare walk %.1f ms\n", static_cast<int>(kEvents), walk * 1000);
    std::printf("  %s\n  %s\n  find selected list index %d\n", typesStatus.toStdString().c_str(),
                textStatus.toStdString().c_str(), found);
    std::printf("%-44s %10s %8s %8s %s\n", "command", "ms", "x walk", "goal ms", "");
    bool allMet = true;
    for (const Row& r : rows) {
        const bool met = r.seconds <= r.goal;
        allMet = allMet && met;
        std::printf("%-44s %10.1f %8.1f %8.0f %s\n", r.what.c_str(), r.seconds * 1000, r.seconds / walk, r.goal * 1000,
                    met ? "met" : "MISSED");
    }
    std::printf("%s\n", allMet ? "every goal met" : "some goals missed");

    window->CloseWithoutQuestion();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return found == 0 ? 0 : 1;
}
