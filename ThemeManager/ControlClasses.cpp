#include "ControlClasses.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSlider>
#include <QSplitterHandle>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

bool IsForm(const QWidget* widget)
{
    if (qobject_cast<const QMdiSubWindow*>(widget))
        return true;
    if (!widget || !widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

bool IsControlOfClass(const QWidget* control, TControlClass controlClass)
{
    switch (controlClass) {
    case TControlClass::ListView:
        return qobject_cast<const QTableView*>(control) ||
               (qobject_cast<const QListView*>(control) && !qobject_cast<const QListWidget*>(control));
    case TControlClass::TabSheet: {
        const auto* stack = qobject_cast<const QStackedWidget*>(control->parentWidget());
        return stack && qobject_cast<const QTabWidget*>(stack->parentWidget());
    }
    case TControlClass::GroupBox:
        return qobject_cast<const QGroupBox*>(control);
    case TControlClass::ButtonControl:
        return qobject_cast<const QAbstractButton*>(control) && !qobject_cast<const QToolButton*>(control);
    case TControlClass::SpeedButton:
        return qobject_cast<const QToolButton*>(control);
    case TControlClass::Splitter:
        return qobject_cast<const QSplitterHandle*>(control);
    case TControlClass::TrackBar:
        return qobject_cast<const QSlider*>(control);
    case TControlClass::Animation:
    case TControlClass::Frame:
        return false;
    case TControlClass::StatusBar:
        return qobject_cast<const QStatusBar*>(control);
    case TControlClass::CheckListBox:
        return qobject_cast<const QListWidget*>(control);
    case TControlClass::Form:
        return IsForm(control);
    case TControlClass::Panel: {
        const auto* frame = qobject_cast<const QFrame*>(control);
        return frame && frame->metaObject() == &QFrame::staticMetaObject && frame->frameShape() != QFrame::HLine &&
               frame->frameShape() != QFrame::VLine;
    }
    case TControlClass::WinControl:
        return !qobject_cast<const QLabel*>(control) && !qobject_cast<const QToolButton*>(control) &&
               !qobject_cast<const QMenu*>(control);
    }
    return false;
}

std::optional<TControlClass> HookClassOf(const QWidget* control, TThemeOptions options, bool themesEnabled)
{
    if (!control)
        return std::nullopt;
    if (!themesEnabled) {
        if (options.Contains(toSubclassListView) && IsControlOfClass(control, TControlClass::ListView))
            return TControlClass::ListView;
        return std::nullopt;
    }
    struct Choice {
        TControlClass controlClass;
        std::optional<TThemeOption> option; // none: always
    };
    static constexpr Choice kOrder[] = {
        {TControlClass::ButtonControl, toSubclassButtons}, {TControlClass::SpeedButton, toSubclassSpeedButtons},
        {TControlClass::GroupBox, toSubclassGroupBox},     {TControlClass::TabSheet, toSubclassTabSheet},
        {TControlClass::Panel, toSubclassPanel},           {TControlClass::Frame, toSubclassFrame},
        {TControlClass::ListView, toSubclassListView},     {TControlClass::TrackBar, toSubclassTrackBar},
        {TControlClass::CheckListBox, toSubclassCheckListbox}, {TControlClass::StatusBar, toSubclassStatusBar},
        {TControlClass::Splitter, toSubclassSplitter},     {TControlClass::Animation, toSubclassAnimate},
        {TControlClass::Form, std::nullopt},               {TControlClass::WinControl, toSubclassWinControl},
    };
    for (const Choice& choice : kOrder) {
        if (choice.option && !options.Contains(*choice.option))
            continue;
        if (IsControlOfClass(control, choice.controlClass))
            return choice.controlClass;
    }
    return std::nullopt;
}
