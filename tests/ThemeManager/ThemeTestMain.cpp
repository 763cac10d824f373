// The visual-style tests run in one QApplication on the offscreen platform.
// The platform plays NT 5.1 with a visual style from the start, so the
// application begins in the themed look; tests switch the profile to see
// the others.

#include "OffscreenQt.h"

#include "platform/PlatformProfile.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseOffscreenQt();
    QuietOffscreenWarnings();
    platform::SetProfile(platform::PlatformProfile::nt51());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
