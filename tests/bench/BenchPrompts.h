#pragma once
// The user's answers in a benchmark of the windows: any message would stop
// the run, so it fails it; a question with a check box is answered Yes.

#include "app/UserPrompts.h"

#include <stdexcept>
#include <string>

class NoPrompts : public TUserPrompts {
public:
    int MessageBox(QWidget*, const QString& text, const QString&, UINT) override
    {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    int MessageBoxWithCheck(const QString&, const QString&, UINT, bool&, const QString&) override { return 6; }
};
