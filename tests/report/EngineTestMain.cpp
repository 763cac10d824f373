// The report engine's tests: data sets over SQLite, values, functions and
// the engine's dialogs, in one QApplication on the offscreen platform.

#include "OffscreenQt.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
