#pragma once
// Answers a modal dialog from inside its loop: `answer` runs on the modal
// widget of class Dialog once it is up.

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

template <class Dialog>
void WhenShown(std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal " << Dialog::staticMetaObject.className();
        answer(*dialog);
    });
}
