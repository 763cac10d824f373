#include "Application.h"

#include "HelpContext.h"
#include "ProgramIcon.h"
#include "SystemFonts.h"
#include "UserPrompts.h"

#include "ntlib/NTException.h"

#include "platform/FileVersion.h"
#include "platform/HtmlHelp.h"
#include "platform/MessageBoxTypes.h"

#include <QKeyEvent>
#include <QWidget>

#include <exception>

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The title is the application's name only: a display name would be
    // appended to every window's title by the X11 platform.
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(ProgramIcon());
    RegisterSystemFonts();
    SetErrorReporter([](const std::string& text, const std::string& caption) {
        UserPrompts().MessageBox(nullptr, QString::fromStdString(text), QString::fromStdString(caption),
                                 MB_OK | MB_ICONERROR);
    });
    // The program's version resource, and the platform's help, which
    // every installation of the program has.
    platform::SetProgramVersion(QV_VERSION_MAJOR, QV_VERSION_MINOR, QV_VERSION_PATCH, QV_VERSION_TWEAK);
    platform::InstallHtmlHelp();
    installEventFilter(this);
}

TApplication::~TApplication()
{
    while (!forms_.empty())
        forms_.pop_back();
    // The help window goes with the program.
    HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
    SetErrorReporter(nullptr);
}

TApplication* TApplication::Instance()
{
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

int TApplication::Run()
{
    if (QWidget* main = MainForm())
        main->show();
    return exec();
}

void TApplication::HandleException(const char* message)
{
    ShowException(QApplication::activeWindow(), message);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleException(e.what());
    } catch (...) {
        HandleException("Unknown error");
    }
    return false;
}

bool TApplication::HelpContext(int context)
{
    return onHelp_ && onHelp_(kHelpContextCommand, context);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    // F1 is the help key of every window: it is taken before any shortcut
    // (the main window's Help item carries it too), and asks help for the
    // help context of the window it was pressed in.
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            if (type == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            HelpContext(HelpContextOf(static_cast<QWidget*>(watched)));
            return true;
        }
    }
    return QApplication::eventFilter(watched, event);
}
