// The tests of the platform's windowing part run in one QApplication on the
// offscreen platform; the platform plays NT 5.0 until a test says otherwise.

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
