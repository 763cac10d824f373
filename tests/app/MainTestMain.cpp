// The main window's tests run in the program's own application object on
// the offscreen platform, in a fixed time zone and locale.

#include "app/Application.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform reports what it cannot do with every window.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QStringLiteral("does not support propagateSizeHints")))
        return;
    if (defaultHandler)
        defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TZ", "UTC", 1);
    tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    defaultHandler = qInstallMessageHandler(quietHandler);
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
