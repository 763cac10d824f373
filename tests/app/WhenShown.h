#pragma once
// Answers a modal dialog from inside its loop: `answer` runs on the modal
// widget of class Dialog once it is up.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <typeinfo>

template <class Dialog>
void WhenShown(std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal " << Dialog::staticMetaObject.className();
        answer(*dialog);
    });
}

// Answers a modal window of class Window (a plain C++ subclass is enough)
// once it is the modal one: it may come up only after other modal windows
// (the report's progress window before its preview or print dialog).  A
// window that does not come within a minute fails the test.
template <class Window>
void WhenModalUp(std::function<void(Window&)> answer)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, answer] {
        auto* window = dynamic_cast<Window*>(QApplication::activeModalWidget());
        if (window == nullptr && waited->elapsed() < 60'000)
            return;
        timer->stop();
        timer->deleteLater();
        if (window == nullptr)
            ADD_FAILURE() << "no modal " << typeid(Window).name() << " came up";
        else
            answer(*window);
    });
    timer->start(10);
}
