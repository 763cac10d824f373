// A log window on a backup file, as a whole process: the window is made
// (offscreen), opens the file, loads it to its final status text and is
// closed; the close is timed from the close call until the window and its
// reader are freed.
//
//   qvspeed_window FILE

#include "SpeedChild.h"

#include "OffscreenQt.h"

#include "app/UserPrompts.h"
#include "app/logview.h"

#include "ntlib/FunctionBinding.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <cstdio>

namespace {

// No question may stop the run: a message box is a failure, a close
// question is answered Yes.
class NoPrompts : public TUserPrompts {
public:
    bool failed = false;
    int MessageBox(QWidget*, const QString& text, const QString&, UINT) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        failed = true;
        return 1;
    }
    int MessageBoxWithCheck(const QString&, const QString&, UINT, bool&, const QString&) override { return 6; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qvspeed_window FILE\n");
        return 2;
    }
    UseOffscreenQt();
    QuietOffscreenWarnings();
    QApplication app(argc, argv);
    ScopedSystemFunctions bound;
    NoPrompts prompts;
    ScopedUserPrompts usePrompts(prompts);

    const QString file = QString::fromLocal8Bit(argv[1]);
    QPointer<TfrmLogView> window = new TfrmLogView(nullptr);
    window->SetIsFile(true);
    window->SetComputerName(QStringLiteral("$FILE"));
    window->SetLogName(file);
    window->NTEventLog().SetBackupFileName(file.toStdString());
    window->show();
    QCoreApplication::processEvents();

    ReportMemoryBeforeOpen();
    window->LoadEvents(file);
    const QString status = window->StatusText();
    std::printf("events=%d\n", window->Model().rowCount());

    QElapsedTimer closing;
    closing.start();
    window->CloseWithoutQuestion();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double closeMs = static_cast<double>(closing.nsecsElapsed()) / 1e6;
    if (window) {
        std::fprintf(stderr, "the window was not freed\n");
        return 1;
    }
    std::printf("close_ms=%.3f\n", closeMs);
    ReportPeakMemory();
    if (prompts.failed || !status.startsWith(QStringLiteral("Showing "))) {
        std::fprintf(stderr, "status: %s\n", status.toUtf8().constData());
        return 1;
    }
    return 0;
}
