// The main window's printing tests: the private print server is made known
// to the process before the main window first asks Qt for printers.

#include "OffscreenQt.h"
#include "PrivateCups.h"

#include "app/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const PrivateCups cups;
    UseOffscreenQt();
    QuietOffscreenWarnings();
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
