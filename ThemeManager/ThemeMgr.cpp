#include "ThemeMgr.h"

#include "ThemeSrv.h"
#include "UxTheme.h"

#include "platform/Kernel32.h"
#include "platform/VisualStyles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <mutex>

namespace {

// The main manager and the lock around it and its options.
struct MainManagerRegistry {
    std::recursive_mutex lock;
    TThemeManager* manager = nullptr;
};

MainManagerRegistry& registry()
{
    static MainManagerRegistry r;
    return r;
}

QEvent::Type registeredType(int hint)
{
    return static_cast<QEvent::Type>(QEvent::registerEventType(hint));
}

// Hooks the children the manager was told of.
QEvent::Type hookPendingEventType()
{
    static const QEvent::Type type = registeredType(-1);
    return type;
}

// Wakes the application hook to hook the pending forms.
QEvent::Type wakeEventType()
{
    static const QEvent::Type type = registeredType(-1);
    return type;
}

// Controls are hooked on NT 5.1 and later only.
bool isWindowsXPOrLater()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
}

// The control refuses to be hooked.
bool refusesHooking(QWidget* control)
{
    TDenySubclassingEvent question;
    QCoreApplication::sendEvent(control, &question);
    return question.Result() != 0;
}

std::vector<QWidget*> childWidgets(const QObject* parent)
{
    std::vector<QWidget*> widgets;
    for (QObject* child : parent->children())
        if (child->isWidgetType())
            widgets.push_back(static_cast<QWidget*>(child));
    return widgets;
}

std::vector<QWidget*> forms()
{
    std::vector<QWidget*> found;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (IsForm(widget))
                found.push_back(widget);
    return found;
}

} // namespace

TDenySubclassingEvent::TDenySubclassingEvent()
    : QEvent(EventType())
{
}

QEvent::Type TDenySubclassingEvent::EventType()
{
    static const QEvent::Type type = registeredType(0xB7D0);
    return type;
}

QEvent::Type MainManagerReleasedEventType()
{
    static const QEvent::Type type = registeredType(0xBCB2);
    return type;
}

TThemeManager::TThemeManager(QObject* owner)
    : QObject(owner)
{
    for (int i = 0; i < kControlClassCount; ++i)
        lists_[static_cast<std::size_t>(i)] = std::make_unique<TWindowProcList>(*this, static_cast<TControlClass>(i));
    QCoreApplication* application = QCoreApplication::instance();
    if (application && GetThemeServices().GetThemesEnabled()) {
        application->installEventFilter(this);
        hookWasInstalled_ = true;
    }
    MainManagerRegistry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.manager) {
        subclassingDisabled_ = true;
        options_ = r.manager->options_;
    } else {
        r.manager = this;
    }
}

TThemeManager::~TThemeManager()
{
    for (auto& list : lists_)
        list->Clear();
    QCoreApplication* application = QCoreApplication::instance();
    if (hookWasInstalled_ && application)
        application->removeEventFilter(this);
    MainManagerRegistry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.manager == this) {
        r.manager = nullptr;
        if (application)
            QCoreApplication::postEvent(application, new QEvent(MainManagerReleasedEventType()));
    }
}

bool TThemeManager::IsMainManager() const
{
    return MainManager() == this;
}

TThemeManager* TThemeManager::MainManager()
{
    MainManagerRegistry& r = registry();
    std::lock_guard guard(r.lock);
    return r.manager;
}

void TThemeManager::SetOptions(TThemeOptions options)
{
    MainManagerRegistry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.manager && r.manager != this) {
        options_ = options;
        r.manager->SetOptions(options);
        return;
    }
    if (options == options_)
        return;
    options_ = options;
    if (!GetThemeServices().ThemesAvailable() || subclassingDisabled_ || !UxTheme().SetThemeAppProperties)
        return;
    UxTheme().SetThemeAppProperties(options_.AppProperties());
    if (loading_)
        return;
    UpdateThemeOptions();
    SendThemeChangedToAll();
}

void TThemeManager::Loaded()
{
    loading_ = false;
    if (IsMainManager())
        HookForms();
}

void TThemeManager::unregister(const void* object, const std::string& method)
{
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [&](const Listener& l) { return l.object == object && l.method == method; }),
                     listeners_.end());
}

const TWindowProcList& TThemeManager::ControlList(TControlClass controlClass) const
{
    return *lists_.at(static_cast<std::size_t>(controlClass));
}

TWindowProcList& TThemeManager::List(TControlClass controlClass)
{
    return *lists_.at(static_cast<std::size_t>(controlClass));
}

std::optional<TControlClass> TThemeManager::HookedAs(const QObject* control) const
{
    for (const auto& list : lists_)
        if (list->Contains(control))
            return list->ControlClass();
    return std::nullopt;
}

bool TThemeManager::ThemesEnabled() const
{
    return GetThemeServices().GetThemesEnabled();
}

void TThemeManager::HookForms()
{
    for (QWidget* form : forms())
        ControlListChanged(form, true);
}

void TThemeManager::UnhookAll()
{
    const bool themes = ThemesEnabled();
    for (auto& list : lists_)
        if (themes || list->ControlClass() == TControlClass::ListView)
            list->Clear();
}

void TThemeManager::UpdateTransparency(QWidget* form)
{
    if (!form) {
        for (QWidget* each : forms())
            UpdateTransparency(each);
        return;
    }
    const bool themes = ThemesEnabled();
    for (QWidget* child : childWidgets(form)) {
        if (themes && UxTheme().EnableThemeDialogTexture)
            UxTheme().EnableThemeDialogTexture(platform::WindowHandle(child), ETDT_ENABLETAB);
        if (qobject_cast<QToolBar*>(child) || qobject_cast<QLabel*>(child)) {
            // A tool button holds the mouse only while it is pressed, so
            // there is no capture to take back (toResetMouseCapture).
            if (options_.Contains(toSetTransparency))
                child->setAutoFillBackground(false);
        } else {
            UpdateTransparency(child);
        }
    }
}

bool TThemeManager::DoAllowSubclassing(QWidget* control)
{
    bool allow = true;
    if (OnAllowSubclassing)
        OnAllowSubclassing(this, control, allow);
    return allow;
}

bool TThemeManager::DoControlMessage(QWidget* control, QEvent* message)
{
    bool handled = false;
    if (OnControlMessage)
        OnControlMessage(this, control, message, handled);
    // A listener may register or unregister listeners: walk a copy, and
    // skip those that have gone meanwhile.
    const std::vector<Listener> listeners = listeners_;
    for (const Listener& listener : listeners) {
        if (handled)
            break;
        const auto registered = [&] {
            return std::find_if(listeners_.begin(), listeners_.end(),
                                [&](const Listener& l) { return l.id == listener.id; });
        };
        if (registered() == listeners_.end())
            continue;
        try {
            listener.call(this, control, message, handled);
        } catch (...) {
            if (auto it = registered(); it != listeners_.end())
                listeners_.erase(it);
        }
    }
    return handled;
}

void TThemeManager::DoOnThemeChange()
{
    if (OnThemeChange)
        OnThemeChange(this);
}

void TThemeManager::BecomeMainManager()
{
    MainManagerRegistry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.manager && r.manager != this) {
        r.manager->subclassingDisabled_ = true;
        r.manager->UnhookAll();
    }
    r.manager = this;
    subclassingDisabled_ = false;
    HookForms();
}

void TThemeManager::ControlListChanged(QWidget* control, bool inserting)
{
    if (!control || !isWindowsXPOrLater())
        return;
    if (!inserting) {
        ReleaseControl(control);
        return;
    }
    if (!subclassingDisabled_)
        HookTree(control);
}

bool TThemeManager::HookTree(QWidget* control)
{
    const std::optional<TControlClass> controlClass = HookClassOf(control, options_, ThemesEnabled());
    if (controlClass) {
        if (*controlClass == TControlClass::Form)
            ControlReleased(control); // no longer pending
        TWindowProcList& list = List(*controlClass);
        if (!DoAllowSubclassing(control) || refusesHooking(control)) {
            // Left alone, with everything in it.
            list.Remove(control);
            return false;
        }
        list.Add(control);
    }
    // Controls of no hooked class may hold some that are.
    for (QWidget* child : childWidgets(control))
        HookTree(child);
    return true;
}

void TThemeManager::ControlReleased(const QObject* control)
{
    const auto gone = [control](const QPointer<QWidget>& p) { return p.isNull() || p.data() == control; };
    pendingForms_.erase(std::remove_if(pendingForms_.begin(), pendingForms_.end(), gone), pendingForms_.end());
}

void TThemeManager::ReleaseControl(QObject* control)
{
    for (auto& list : lists_)
        if (list->Remove(control))
            return;
}

bool TThemeManager::ControlMessage(TControlClass controlClass, QWidget* control, QEvent* event)
{
    // The widget tree changes before anything else.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType() && event->type() == QEvent::ChildRemoved) {
            ReleaseControl(child);
        } else if (child->isWidgetType() && !subclassingDisabled_) {
            // The child is not complete yet: hook it from the event loop.
            pendingChildren_.emplace_back(static_cast<QWidget*>(child));
            if (!childrenPosted_) {
                childrenPosted_ = true;
                QCoreApplication::postEvent(this, new QEvent(hookPendingEventType()));
            }
        }
    }
    if (DoControlMessage(control, event))
        return true;
    if (!ThemesEnabled())
        return false;

    switch (event->type()) {
    case QEvent::Paint:
        switch (controlClass) {
        case TControlClass::SpeedButton:
            return PaintSpeedButton(static_cast<QToolButton*>(control));
        case TControlClass::GroupBox:
            return PaintGroupBox(static_cast<QGroupBox*>(control));
        case TControlClass::StatusBar:
            PaintStatusBar(control);
            return false;
        case TControlClass::Splitter:
            PaintParentBackground(control);
            return true;
        case TControlClass::Panel:
            return PaintPanel(control);
        default:
            return false;
        }
    case QEvent::Enter:
    case QEvent::Leave:
        if (controlClass == TControlClass::ButtonControl) {
            // Buttons with a picture show their hot look.
            if (auto* button = qobject_cast<QPushButton*>(control); button && !button->icon().isNull())
                button->update();
        } else if (controlClass == TControlClass::SpeedButton) {
            auto* button = static_cast<QToolButton*>(control);
            if (!button->autoRaise() && button->isEnabled())
                button->update();
        }
        return false;
    case QEvent::KeyPress:
        if (controlClass == TControlClass::ButtonControl || controlClass == TControlClass::GroupBox ||
            controlClass == TControlClass::WinControl)
            KeyboardCues(control, *static_cast<QKeyEvent*>(event));
        return false;
    default:
        return false;
    }
}

bool TThemeManager::event(QEvent* event)
{
    if (event->type() == hookPendingEventType()) {
        childrenPosted_ = false;
        HookPendingChildren();
        return true;
    }
    return QObject::event(event);
}

void TThemeManager::HookPendingChildren()
{
    std::vector<QPointer<QWidget>> pending;
    pending.swap(pendingChildren_);
    for (const QPointer<QWidget>& child : pending) {
        // Only children that are still in a hooked part of the tree.
        if (child && child->parentWidget() && HookedAs(child->parentWidget()) && !HookedAs(child))
            ControlListChanged(child, true);
    }
}

bool TThemeManager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance()) {
        AppWindowHook(event);
    } else if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (IsForm(widget))
            FormInserted(widget);
    }
    return false;
}

void TThemeManager::FormInserted(QWidget* form)
{
    TThemeManager* main = MainManager();
    if (main && main != this) {
        main->FormInserted(form);
        return;
    }
    if (!main || HookedAs(form))
        return;
    const bool pending = std::any_of(pendingForms_.begin(), pendingForms_.end(),
                                     [form](const QPointer<QWidget>& p) { return p.data() == form; });
    if (pending)
        return;
    pendingForms_.emplace_back(form);
    if (QCoreApplication* application = QCoreApplication::instance())
        QCoreApplication::postEvent(application, new QEvent(wakeEventType()));
}

void TThemeManager::AppWindowHook(QEvent* event)
{
    if (event->type() == MainManagerReleasedEventType()) {
        MainManagerRegistry& r = registry();
        std::lock_guard guard(r.lock);
        if (!r.manager) {
            r.manager = this;
            subclassingDisabled_ = false;
            HookForms();
        }
    }
    if (!pendingForms_.empty() && IsMainManager())
        HookPendingForms();
    if (event->type() == platform::ThemeChangedEventType()) {
        UpdateThemeOptions();
        DoOnThemeChange();
    }
}

void TThemeManager::HookPendingForms()
{
    std::vector<QPointer<QWidget>> pending;
    pending.swap(pendingForms_);
    for (const QPointer<QWidget>& form : pending) {
        if (!form)
            continue;
        ControlListChanged(form, true);
        if (options_.Contains(toResetMouseCapture) || options_.Contains(toSetTransparency))
            UpdateTransparency(form);
        form->update();
    }
}

void TThemeManager::UpdateThemeOptions()
{
    if (!UxTheme().GetThemeAppProperties)
        return;
    const std::uint32_t properties = UxTheme().GetThemeAppProperties() & 7u;
    options_ = TThemeOptions((options_.Bits() & ~7u) | properties);
}

void TThemeManager::SendThemeChangedToAll()
{
    // Every form and windowed control hears of it (list views not their
    // insides), then the application; then every form is drawn anew.
    std::function<void(QWidget*)> tell = [&](QWidget* widget) {
        platform::SendThemeChanged(widget);
        if (IsControlOfClass(widget, TControlClass::ListView))
            return;
        for (QWidget* child : childWidgets(widget))
            tell(child);
    };
    const std::vector<QWidget*> all = forms();
    for (QWidget* form : all)
        tell(form);
    platform::SendThemeChanged(QCoreApplication::instance());
    for (QWidget* form : all) {
        form->update();
        for (QWidget* child : form->findChildren<QWidget*>())
            child->update();
    }
}
