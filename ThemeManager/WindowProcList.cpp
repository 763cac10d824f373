#include "WindowProcList.h"

#include "ThemeMgr.h"

#include <QWidget>

#include <algorithm>
#include <functional>

TWindowProcList::TWindowProcList(TThemeManager& owner, TControlClass controlClass)
    : owner_(owner)
    , controlClass_(controlClass)
{
}

TWindowProcList::~TWindowProcList()
{
    Clear();
}

bool TWindowProcList::Add(QWidget* control)
{
    if (!control || !IsControlOfClass(control, controlClass_) || Find(control) >= 0)
        return false;
    Entry entry{control, control, {}};
    entry.destroyed = connect(control, &QObject::destroyed, this, [this](QObject* gone) { controlDestroyed(gone); });
    entries_.push_back(entry);
    sorted_ = false;
    control->installEventFilter(this);
    return true;
}

int TWindowProcList::Find(const QObject* control) const
{
    if (!control || entries_.empty())
        return -1;
    if (!sorted_ && entries_.size() > 1) {
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return std::less<const QObject*>()(a.key, b.key); });
        lastControl_ = nullptr;
        lastIndex_ = -1;
    }
    sorted_ = true;
    if (control == lastControl_)
        return lastIndex_;
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), control, [](const Entry& e, const QObject* c) {
        return std::less<const QObject*>()(e.key, c);
    });
    if (at == entries_.end() || at->key != control)
        return -1;
    lastControl_ = control;
    lastIndex_ = static_cast<int>(at - entries_.begin());
    return lastIndex_;
}

bool TWindowProcList::Remove(QObject* control)
{
    const int index = Find(control);
    if (index < 0)
        return false;
    disconnect(entries_[static_cast<std::size_t>(index)].destroyed);
    control->removeEventFilter(this);
    erase(index);
    owner_.ControlReleased(control);
    // Its children leave their lists with it.
    const QObjectList children = control->children();
    for (QObject* child : children)
        owner_.ReleaseControl(child);
    return true;
}

void TWindowProcList::Clear()
{
    while (!entries_.empty())
        Remove(entries_.back().key);
}

void TWindowProcList::erase(int index)
{
    entries_.erase(entries_.begin() + index);
    if (index <= lastIndex_) {
        lastControl_ = nullptr;
        lastIndex_ = -1;
    }
}

void TWindowProcList::controlDestroyed(const QObject* control)
{
    const int index = Find(control);
    if (index < 0)
        return;
    erase(index);
    owner_.ControlReleased(control);
}

bool TWindowProcList::eventFilter(QObject* watched, QEvent* event)
{
    const int index = Find(watched);
    if (index < 0)
        return false;
    return owner_.ControlMessage(controlClass_, entries_[static_cast<std::size_t>(index)].control, event);
}
