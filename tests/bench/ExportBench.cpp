// Exports and Save Log As of a log window of a million events.
//
// The exports are timed with the memory they take above the window's own
// (the process's peak resident size, reset before each export).  Saving the
// log as a backup file is timed side by side with `cp` of the same file
// followed by `sync`, in alternating runs; the medians are compared.

#include "OffscreenQt.h"
#include "SiteBuilder.h"
#include "speed/SpeedChild.h"

#include "app/UserPrompts.h"
#include "app/logview.h"
#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "tools/evtgen/EvtGenerator.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int kEvents = 1'000'000;

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Starts a new peak: the peak resident size is the current one again.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Answers the save dialog with a file of the benchmark's, and nothing else.
class BenchPrompts : public TUserPrompts {
public:
    QString file;
    int MessageBox(QWidget*, const QString& text, const QString& caption, UINT) override
    {
        std::fprintf(stderr, "message: %s: %s\n", caption.toStdString().c_str(), text.toStdString().c_str());
        return 1;
    }
    int MessageBoxWithCheck(const QString&, const QString&, UINT, bool&, const QString&) override { return 6; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&, bool) override { return file; }
};

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QApplication app(argc, argv);
    if (argc > 1)
        kEvents = std::stoi(argv[1]);

    SiteBuilder site;
    site.Local("WKS1").StandardEventLogs("WKS1");
    const std::string log = site.DrivePath("WKS1", "WINDOWS\\system32\\config\\AppEvent.Evt");
    std::filesystem::create_directories(std::filesystem::path(log).parent_path());
    std::string error;
    if (!evtgen::WriteEvtLog("log maxsize=0x20000000\nbulk count=" + std::to_string(kEvents) + " seed=2024\n", log,
                             error)) {
        std::fprintf(stderr, "cannot write the log: %s\n", error.c_str());
        return 1;
    }
    for (const char* other : {"SecEvent.Evt", "SysEvent.Evt"})
        evtgen::WriteEvtLog("event source=EventLog id=6005\n",
                            site.DrivePath("WKS1", std::string("WINDOWS\\system32\\config\\") + other), error);
    site.Load();
    ScopedSystemFunctions bound;
    BenchPrompts prompts;
    ScopedUserPrompts usePrompts(prompts);

    auto main = std::make_unique<TfrmQORVMain>();
    main->show();
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    TfrmLogView* window = main->ActiveLogWindow();
    if (!window || window->Model().rowCount() != kEvents) {
        std::fprintf(stderr, "the log did not load whole\n");
        return 1;
    }
    const std::string dir = std::getenv("QV_EXPORT_DIR") ? std::getenv("QV_EXPORT_DIR") : site.Directory();

    struct Export {
        const char* what;
        std::function<void()> run;
        double goal;
        std::string file;
    };
    const std::vector<Export> exports = {
        {"export to text", [&] { main->ExportToText(QString::fromStdString(dir + "/events.txt")); }, 2.0,
         dir + "/events.txt"},
        {"export to HTML", [&] { main->ExportToHtml(QString::fromStdString(dir + "/events.htm"), true, 0); }, 3.0,
         dir + "/events.htm"},
    };
    bool allMet = true;
    std::printf("%d events\n", kEvents);
    for (const Export& e : exports) {
        const double before = MemoryKiB("VmRSS") / 1024.0;
        resetPeak();
        const double seconds = secondsOf(e.run);
        const double above = MemoryKiB("VmHWM") / 1024.0 - before;
        const bool met = seconds <= e.goal && above <= 50;
        allMet = allMet && met;
        std::printf("%-16s %8.1f ms (goal %.0f)  peak %6.1f MiB above the window (goal 50)  %s  %.1f MiB written\n",
                    e.what, seconds * 1000, e.goal * 1000, above, met ? "met" : "MISSED",
                    static_cast<double>(std::filesystem::file_size(e.file)) / (1024.0 * 1024.0));
    }

    // Save Log As against cp + sync of the same file, alternating.
    std::vector<double> saves;
    std::vector<double> copies;
    for (int run = 0; run < 3; ++run) {
        const std::string saved = dir + "/saved-" + std::to_string(run) + ".evt";
        prompts.file = QString::fromStdString(saved);
        std::system("sync"); // neither pays for what was written before
        saves.push_back(secondsOf([&] {
            main->actSaveLogAs()->trigger();
            std::system("sync");
        }));
        const std::string copy = dir + "/copy-" + std::to_string(run) + ".evt";
        const std::string command = "cp '" + log + "' '" + copy + "' && sync";
        std::system("sync");
        copies.push_back(secondsOf([&] {
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "cp failed\n");
        }));
        if (!std::filesystem::exists(saved)) {
            std::fprintf(stderr, "the log was not saved\n");
            return 1;
        }
    }
    const double ratio = median(saves) / median(copies);
    const bool saveMet = ratio <= 2.0;
    allMet = allMet && saveMet;
    std::printf("save log as      %8.1f ms, cp + sync %.1f ms (medians of 3): %.2f x (goal 2)  %s  %.1f MiB\n",
                median(saves) * 1000, median(copies) * 1000, ratio, saveMet ? "met" : "MISSED",
                static_cast<double>(std::filesystem::file_size(log)) / (1024.0 * 1024.0));
    std::printf("%s\n", allMet ? "every goal met" : "some goals missed");
    main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
