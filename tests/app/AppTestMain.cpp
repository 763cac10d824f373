// The tests of the application's windows run in one QApplication on the
// offscreen platform, in a fixed time zone and locale.

#include "OffscreenQt.h"

#include "app/SystemFonts.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    QApplication app(argc, argv);
    // The windows get the fonts they name, as in the program.
    RegisterSystemFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
