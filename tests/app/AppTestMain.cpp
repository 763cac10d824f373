// The tests of the application's windows run in one QApplication on the
// offscreen platform, in a fixed time zone and locale.

#include "OffscreenQt.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quellvane"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
