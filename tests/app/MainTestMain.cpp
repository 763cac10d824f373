// The main window's tests run in the program's own application object on
// the offscreen platform, in a fixed time zone and locale.

#include "OffscreenQt.h"

#include "app/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
