#include "VisualStyles.h"

#include "Modules.h"
#include "PlatformProfile.h"
#include "VisualStyleApi.h"
#include "VisualStyleModule.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <vector>

namespace platform {
namespace {

// The name of the look last set, empty before the first.
QString& appliedLook()
{
    static QString name;
    return name;
}

// The visual style of the last theme switch (or of the start).
VisualStyleState& announcedState()
{
    static VisualStyleState state;
    return state;
}

// Runs on the GUI thread after every change of the profile.
void followProfile()
{
    const VisualStyleState now = CurrentVisualStyleState();
    const bool switched = !now.SameStyle(announcedState());
    announcedState() = now;
    ApplyVisualStyleLook();
    if (!switched)
        return;
    SendThemeChanged(QCoreApplication::instance());
    std::vector<QPointer<QWidget>> widgets;
    for (QWidget* widget : QApplication::allWidgets())
        widgets.emplace_back(widget);
    for (const QPointer<QWidget>& widget : widgets)
        if (widget)
            SendThemeChanged(widget);
}

// The profile may change on any thread; the look changes on the GUI thread.
void onProfileChanged()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, &followProfile, Qt::QueuedConnection);
}

void startVisualStyles()
{
    RegisterModuleExports("uxtheme.dll", UxThemeExports());
    RegisterModuleExports("comctl32.dll", CommonControlsExports());
    announcedState() = CurrentVisualStyleState();
    appliedLook().clear(); // a new application object: set the look anew
    ApplyVisualStyleLook();
    SetProfileListener(&onProfileChanged);
}

} // namespace

bool VisualStyleState::AppThemed() const
{
    return styleActive && (appProperties & (STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS)) != 0;
}

bool VisualStyleState::ThemedControls() const
{
    return libraryPresent && AppThemed() && (appProperties & STAP_ALLOW_CONTROLS) != 0 &&
           commonControlsVersion >= 0x00060000;
}

bool VisualStyleState::SameStyle(const VisualStyleState& other) const
{
    return libraryPresent == other.libraryPresent && styleActive == other.styleActive &&
           commonControlsVersion == other.commonControlsVersion;
}

VisualStyleState CurrentVisualStyleState()
{
    const PlatformProfile& profile = CurrentProfile();
    VisualStyleState state;
    state.libraryPresent = profile.missingModules.count("uxtheme.dll") == 0;
    state.styleActive = profile.visualStyleActive;
    state.appProperties = profile.themeAppProperties;
    state.commonControlsVersion = profile.commonControlsVersion;
    return state;
}

const char* LookStyleName(const VisualStyleState& state)
{
    return state.ThemedControls() ? "Fusion" : "Windows";
}

QEvent::Type ThemeChangedEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void SendThemeChanged(QObject* window)
{
    if (!window)
        return;
    QEvent notification(ThemeChangedEventType());
    QCoreApplication::sendEvent(window, &notification);
}

void ApplyVisualStyleLook()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    const QString name = QString::fromLatin1(LookStyleName(CurrentVisualStyleState()));
    if (appliedLook() == name)
        return;
    if (QStyle* style = QStyleFactory::create(name)) {
        QApplication::setStyle(style);
        appliedLook() = name;
    }
}

} // namespace platform

// The windowing part of the platform starts with the application object.
namespace {
void startWindowingPlatform()
{
    platform::startVisualStyles();
}
} // namespace
Q_COREAPP_STARTUP_FUNCTION(startWindowingPlatform)
