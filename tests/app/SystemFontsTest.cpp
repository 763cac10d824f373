// The fonts the windows name resolve to themselves, not to a fallback.
#include "app/SystemFonts.h"

#include <QFont>
#include <QFontInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SystemFonts, TheFamiliesTheWindowsNameResolve)
{
    const QStringList families = RegisterSystemFonts();
    for (const char* name : {"Tahoma", "Marlett", "MS Sans Serif"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(families.contains(QString::fromLatin1(name))) << families.join(", ").toStdString();
        QFont font(QString::fromLatin1(name));
        font.setPointSize(8);
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), QString::fromLatin1(name));
    }
    // Bold Tahoma is Tahoma, drawn bold.
    QFont bold(QStringLiteral("Tahoma"), 8, QFont::Bold);
    EXPECT_EQ(QFontInfo(bold).family(), "Tahoma");
    EXPECT_TRUE(QFontInfo(bold).bold());
    // Asking again registers nothing twice.
    EXPECT_EQ(RegisterSystemFonts(), families);
}

TEST(SystemFonts, AFolderWithoutTheFilesIsNoError)
{
    QTemporaryDir empty;
    EXPECT_TRUE(RegisterSystemFonts(empty.path()).isEmpty());
    EXPECT_TRUE(RegisterSystemFonts(empty.path() + QStringLiteral("/missing")).isEmpty());
}

} // namespace
