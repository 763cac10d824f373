#include "Application.h"

#include "ProgramIcon.h"
#include "SystemFonts.h"
#include "UserPrompts.h"

#include "ntlib/NTException.h"

#include "platform/MessageBoxTypes.h"

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
}

TApplication::~TApplication()
{
    while (!forms_.empty())
        forms_.pop_back();
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
