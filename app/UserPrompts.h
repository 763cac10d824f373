#pragma once
// The one way the application asks the user modal questions and shows
// message boxes.  The windows call UserPrompts(); a test puts answers of
// its own in place with ScopedUserPrompts.

#include "platform/Win32Types.h"

#include <QString>

class QWidget;

class TUserPrompts {
public:
    virtual ~TUserPrompts() = default;

    // A message box with the platform's MB_* flags (buttons, icon, default
    // button), owned by `owner` (may be null); returns the ID* result.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT flags) = 0;

    // The message box with a check box (MessageBoxWithCheck); `ticked` goes
    // in as the check box's state and comes back as the user left it.
    virtual int MessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool& ticked,
                                    const QString& checkText) = 0;

    // The save dialog: the chosen file's path, or empty when the user
    // cancelled.  `filter` is a name filter ("Event log files (*.evt)");
    // a name typed without an extension gets `defaultSuffix`; with
    // `confirmOverwrite` a file that is there already is replaced only
    // when the user says so.  Prompts without file dialogs cancel.
    virtual QString GetSaveFileName(QWidget* owner, const QString& title, const QString& filter,
                                    const QString& defaultSuffix, bool confirmOverwrite = false);

    // The open dialog for an existing file: its path, or empty when the
    // user cancelled.  The extensions of `filter` match in any letter case.
    // Prompts without file dialogs cancel.
    virtual QString GetOpenFileName(QWidget* owner, const QString& title, const QString& filter);
};

// The prompts in force: the real dialogs unless a test replaced them.
TUserPrompts& UserPrompts();

// Puts other prompts in force for the life of the scope.
class ScopedUserPrompts {
public:
    explicit ScopedUserPrompts(TUserPrompts& prompts);
    ~ScopedUserPrompts();
    ScopedUserPrompts(const ScopedUserPrompts&) = delete;
    ScopedUserPrompts& operator=(const ScopedUserPrompts&) = delete;

private:
    TUserPrompts* previous_;
};

// Shows an exception that ended a command as the application shows every
// such failure: its text, with the application's title and the error icon.
void ShowException(QWidget* owner, const char* message);
