// Help: the topics of the help file by help context, Help > Help,
// Feedback and About.

#include "main.h"

#include "HelpContext.h"
#include "UserPrompts.h"
#include "about.h"

#include "ntlib/NTException.h"

#include "platform/HtmlHelp.h"
#include "platform/Kernel32.h"
#include "platform/MessageBoxTypes.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

void TfrmQORVMain::TModuleRelease::operator()(HMODULE module) const
{
    FreeLibrary(module);
}

void TfrmQORVMain::InstallHelp()
{
    // Without the library or its entry point there is no help; that is no
    // failure of the program's.
    helpFile_ = HelpFilePath();
    helpModule_.reset(LoadLibraryA("HHCtrl.ocx"));
    if (helpModule_)
        htmlHelp_ = reinterpret_cast<THtmlHelp>(GetProcAddress(helpModule_.get(), "HtmlHelpA"));
    if (TApplication* app = TApplication::Instance())
        app->SetOnHelp([this](int command, int context) { return ApplicationHelp(command, context); });
}

void TfrmQORVMain::UninstallHelp()
{
    if (TApplication* app = TApplication::Instance())
        app->SetOnHelp(nullptr);
    if (htmlHelp_)
        htmlHelp_(nullptr, nullptr, HH_CLOSE_ALL, 0);
    htmlHelp_ = nullptr;
    helpModule_.reset();
}

void TfrmQORVMain::BindHelpCommands()
{
    mmitFeedback_->setStatusTip(QString::fromLatin1(kFeedbackAddress));
    mmitFeedback_->setToolTip(QString::fromLatin1(kFeedbackAddress));
    Bind(mmitHelp_, [this] { ApplicationHelp(TApplication::kHelpContextCommand, kHelpContext); });
    Bind(mmitFeedback_, [this] { mmitFeedbackClick(); });
    Bind(mmitAbout_, [this] { mmitAboutClick(); });
}

bool TfrmQORVMain::ApplicationHelp(int /*command*/, int context)
{
    const QString& path = helpFile_;
    if (!htmlHelp_)
        return false;
    const std::string target = (path + HelpTopic(context)).toStdString();
    // The help window belongs to the desktop, not to the window asking.
    if (!htmlHelp_(nullptr, target.c_str(), HH_DISPLAY_TOPIC, 0)) {
        const DWORD error = GetLastError();
        UserPrompts().MessageBox(this,
                                 QStringLiteral("Cannot open the help file %1.\r%2")
                                     .arg(QDir::toNativeSeparators(path),
                                          QString::fromStdString(FormatSystemError(error)).trimmed()),
                                 Caption(), MB_OK | MB_ICONERROR);
    }
    return true;
}

void TfrmQORVMain::mmitFeedbackClick()
{
    QDesktopServices::openUrl(QUrl(mmitFeedback_->statusTip()));
}

TAboutForm& TfrmQORVMain::AboutForm()
{
    return ApplicationForm(ownAboutForm_);
}

void TfrmQORVMain::mmitAboutClick()
{
    AboutForm().exec();
}
