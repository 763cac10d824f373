// The tests of the engine's forms and dialogs: one QApplication on the
// offscreen platform.

#include "OffscreenQt.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QApplication app(argc, argv);
    QuietOffscreenWarnings();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
