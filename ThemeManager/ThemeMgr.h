#pragma once
// The theme manager: a component that, placed on the main window, gives the
// standard controls of every window of the process the visual-style look.
//
// One manager per process does the work, the main manager: the first one
// made.  Later managers copy its options, hook nothing and pass their
// options on to it; when the main manager goes, it posts the "main manager
// released" event to the application, and a remaining manager that hooks
// the application takes over.
//
// Hooking a control installs the event filter of its class's list on it
// (WindowProcList.h; ControlClasses.h gives the classes).  Every event of a
// hooked control is offered first to OnControlMessage and the listeners;
// then, while themes are enabled, the manager paints speed buttons, status
// bars, group boxes, splitters and panels through the theme services,
// repaints buttons as the mouse enters and leaves, and shows keyboard cues.
// The hooks follow the widget tree: a child added to a hooked control is
// hooked once it is complete (the manager posts itself an event for it), a
// removed or destroyed one leaves its list.  New windows are noticed as
// they are polished, through the application hook.

#include "ControlClasses.h"
#include "ThemeOptions.h"
#include "WindowProcList.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QGroupBox;
class QKeyEvent;
class QPainter;
class QToolButton;
class QWidget;

// Sent to a control before it is hooked; a control that gives a non-zero
// result refuses to be hooked.
class TDenySubclassingEvent : public QEvent {
public:
    TDenySubclassingEvent();
    static QEvent::Type EventType();

    int Result() const { return result_; }
    void SetResult(int result) { result_ = result; }

private:
    int result_ = 0;
};

// Posted to the application when the main manager goes away.
QEvent::Type MainManagerReleasedEventType();

class TThemeManager : public QObject {
    Q_OBJECT

public:
    using TAllowSubclassingEvent = std::function<void(TThemeManager* sender, QWidget* control, bool& allow)>;
    using TControlMessageEvent =
        std::function<void(TThemeManager* sender, QWidget* control, QEvent* message, bool& handled)>;
    using TNotifyEvent = std::function<void(TThemeManager* sender)>;

    // `owner` frees the manager with itself.
    explicit TThemeManager(QObject* owner = nullptr);
    ~TThemeManager() override;

    TThemeOptions Options() const { return options_; }
    void SetOptions(TThemeOptions options);
    // The end of the owner's construction: the main manager hooks every
    // form.  Until then, a change of options only sets the application's
    // theme properties.
    void Loaded();

    // May veto hooking a control.
    TAllowSubclassingEvent OnAllowSubclassing;
    // First to see every event of a hooked control.
    TControlMessageEvent OnControlMessage;
    // After a theme change at the application.
    TNotifyEvent OnThemeChange;

    // Listeners see an event after OnControlMessage, in the order they were
    // registered, until one handles it.  A listener that raises is
    // unregistered and the next one runs.  A method is registered once per
    // object; unregistering finds it by object and method.
    template <class T>
    void RegisterListener(T* object, void (T::*method)(TThemeManager*, QWidget*, QEvent*, bool&))
    {
        UnregisterListener(object, method);
        listeners_.push_back({[object, method](TThemeManager* sender, QWidget* control, QEvent* message,
                                               bool& handled) { (object->*method)(sender, control, message, handled); },
                              object, methodKey(method), nextListenerId_++});
    }
    template <class T>
    void UnregisterListener(T* object, void (T::*method)(TThemeManager*, QWidget*, QEvent*, bool&))
    {
        unregister(object, methodKey(method));
    }
    int ListenerCount() const { return static_cast<int>(listeners_.size()); }

    bool SubclassingDisabled() const { return subclassingDisabled_; }
    // The application hook is installed (themes were enabled at creation).
    bool HookWasInstalled() const { return hookWasInstalled_; }
    bool IsMainManager() const;
    static TThemeManager* MainManager();

    const TWindowProcList& ControlList(TControlClass controlClass) const;
    // The class of the list that holds a control, or nothing.
    std::optional<TControlClass> HookedAs(const QObject* control) const;

    // Hooks every window (forms) and, through them, their controls.
    void HookForms();
    // Unhooks list views and, while themes are enabled, everything else.
    void UnhookAll();
    // Options 17 and 18 for one form, or for every form.
    void UpdateTransparency(QWidget* form = nullptr);

    // --- called by the control lists
    // An event of a hooked control; true when it is handled (stops there).
    bool ControlMessage(TControlClass controlClass, QWidget* control, QEvent* event);
    // A control left its list.
    void ControlReleased(const QObject* control);
    // Takes a control out of whichever list holds it (by identity).
    void ReleaseControl(QObject* control);

protected:
    virtual bool DoAllowSubclassing(QWidget* control);
    virtual bool DoControlMessage(QWidget* control, QEvent* message);
    virtual void DoOnThemeChange();
    virtual void BecomeMainManager();
    // Hooks a control and the controls in it, or releases it (and them).
    virtual void ControlListChanged(QWidget* control, bool inserting);

    bool event(QEvent* event) override;
    // The application hook.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Listener {
        TControlMessageEvent call;
        const void* object;
        std::string method;
        int id;
    };

    template <class M>
    static std::string methodKey(M method)
    {
        std::string key(sizeof method, '\0');
        std::memcpy(key.data(), &method, sizeof method);
        return key;
    }
    void unregister(const void* object, const std::string& method);

    // Hooks a control of a hooked class and, unless it refused, the
    // controls in it; false when it refused.
    bool HookTree(QWidget* control);
    void AppWindowHook(QEvent* event);
    // A window was made: the main manager hooks it soon.
    void FormInserted(QWidget* form);
    void HookPendingForms();
    void HookPendingChildren();
    // Options 0-2 from the application's theme properties.
    void UpdateThemeOptions();
    void SendThemeChangedToAll();
    bool ThemesEnabled() const;
    TWindowProcList& List(TControlClass controlClass);

    // --- painting and cues (ControlPainting.cpp)
    bool PaintSpeedButton(QToolButton* button);
    void DrawButton(QToolButton* button, int state, bool focused, QPainter& painter);
    bool PaintGroupBox(QGroupBox* box);
    void PaintStatusBar(QWidget* bar);
    bool PaintPanel(QWidget* panel);
    void PaintParentBackground(QWidget* control);
    void KeyboardCues(QWidget* control, const QKeyEvent& key);

    TThemeOptions options_ = kDefaultThemeOptions;
    bool loading_ = true;
    bool subclassingDisabled_ = false;
    bool hookWasInstalled_ = false;
    std::array<std::unique_ptr<TWindowProcList>, kControlClassCount> lists_;
    std::vector<QPointer<QWidget>> pendingForms_;
    std::vector<QPointer<QWidget>> pendingChildren_;
    bool childrenPosted_ = false;
    std::vector<Listener> listeners_;
    int nextListenerId_ = 1;
};
