// The printing tests: the private print server is made known to the
// process before Qt's print support first asks for printers.

#include "OffscreenQt.h"
#include "PrivateCups.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const PrivateCups cups;
    UseOffscreenQt();
    QApplication app(argc, argv);
    QuietOffscreenWarnings();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
