#pragma once
// A log window on a generated log, with the main window and the user's
// answers stood in for.

#include "AppFakes.h"
#include "GeneratedLogService.h"

#include "app/EventListModel.h"
#include "app/logview.h"

#include "ntlib/FunctionBinding.h"

#include "platform/Registry.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <gtest/gtest.h>

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class LogViewFixture : public ::testing::Test {
protected:
    GeneratedLogService service; // before the binding: its exports get bound
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    FakeHost host;
    QPointer<TfrmLogView> window;

    void SetUp() override
    {
        platform::SetCurrentUserRegistryFile("");
        window = new TfrmLogView(&host);
        window->SetComputerName(QStringLiteral("PC1"));
        window->SetLogName(QStringLiteral("Application"));
        window->setWindowTitle(QStringLiteral("Application on PC1"));
        window->show();
    }

    void TearDown() override
    {
        if (window)
            window->CloseWithoutQuestion();
        flushDeletes();
        EXPECT_TRUE(window.isNull());
    }

    QString cell(int row, TLogColumn column) const
    {
        const TEventListModel& m = window->Model();
        return m.data(m.index(row, column)).toString();
    }

    // Posts a call that the load's next message pump runs.
    template <class F>
    void atNextPump(F f)
    {
        QMetaObject::invokeMethod(window.data(), f, Qt::QueuedConnection);
    }
};
