#pragma once
// The hooked controls of one control class.  Hooking a control installs the
// list as an event filter on it; every event of a listed control goes to
// the theme manager's handler for the class, and what the handler leaves
// goes on to the control.  Entries are kept sorted by control identity and
// found by halving, with a one-entry cache of the last control found.

#include "ControlClasses.h"

#include <QObject>

#include <vector>

class TThemeManager;

class TWindowProcList : public QObject {
    Q_OBJECT

public:
    TWindowProcList(TThemeManager& owner, TControlClass controlClass);
    // Unhooks every control.
    ~TWindowProcList() override;

    TControlClass ControlClass() const { return controlClass_; }

    // Hooks a control of the list's class; refuses one of another class or
    // one already listed.
    bool Add(QWidget* control);
    // The control's index in identity order, or -1.
    int Find(const QObject* control) const;
    bool Contains(const QObject* control) const { return Find(control) >= 0; }
    // Unhooks a listed control and releases its hooked children; false when
    // it was not listed.  Works by identity alone, so a control that is
    // being destroyed may be given.
    bool Remove(QObject* control);
    // Unhooks every control.
    void Clear();
    int Count() const { return static_cast<int>(entries_.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QObject* key;
        QWidget* control; // the same object, as it was hooked
        QMetaObject::Connection destroyed;
    };

    // Removes the entry at an index (the cache follows).
    void erase(int index);
    // A listed control is going: it leaves the list without being touched.
    void controlDestroyed(const QObject* control);

    TThemeManager& owner_;
    TControlClass controlClass_;
    mutable std::vector<Entry> entries_;
    mutable bool sorted_ = true;
    mutable const QObject* lastControl_ = nullptr;
    mutable int lastIndex_ = -1;
};
