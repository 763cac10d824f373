// The fonts the windows name resolve to themselves, not to a fallback, and
// their bold text is drawn bold.
#include "app/SystemFonts.h"

#include "PaintedImages.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QRawFont>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr char kDejaVuFolder[] = "/usr/share/fonts/truetype/dejavu";

QString WineFont(const char* file)
{
    return QString::fromLatin1(kSystemFontFolder) + u'/' + QString::fromLatin1(file);
}

QString DejaVuFont(const char* file)
{
    return QString::fromLatin1(kDejaVuFolder) + u'/' + QString::fromLatin1(file);
}

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

// fonts-wine's bold Tahoma holds the regular outlines; a bold face of its
// own (DejaVu's) does not.
TEST(SystemFonts, ABoldFileCountsOnlyWithOutlinesOfItsOwn)
{
    const struct {
        QString regular, bold;
        bool own;
    } cases[] = {
        {WineFont("tahoma.ttf"), WineFont("tahomabd.ttf"), false},
        {DejaVuFont("DejaVuSans.ttf"), DejaVuFont("DejaVuSans-Bold.ttf"), true},
        {DejaVuFont("DejaVuSans.ttf"), DejaVuFont("DejaVuSans.ttf"), false},
        {WineFont("tahoma.ttf"), WineFont("missing.ttf"), false},
        {WineFont("missing.ttf"), DejaVuFont("DejaVuSans-Bold.ttf"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.regular + " / " + c.bold).toStdString());
        EXPECT_EQ(BoldFileHasOwnOutlines(c.regular, c.bold), c.own);
    }
}

// Dark pixels of a text drawn in black on white.
int Ink(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    QImage image = WhiteImage(static_cast<int>(metrics.horizontalAdvance(text)) + 20,
                              static_cast<int>(metrics.height()) + 10);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(10, 5 + metrics.ascent()), text);
    painter.end();
    return PixelsNear(image, Qt::black, 0x7F);
}

// Bold Tahoma carries clearly more ink than regular Tahoma, while regular
// Tahoma keeps the advances of fonts-wine's regular file.
TEST(SystemFonts, BoldTahomaIsHeavierThanRegularTahoma)
{
    ASSERT_TRUE(RegisterSystemFonts().contains(QStringLiteral("Tahoma")));
    const QString text = QStringLiteral("Event Log: Security on WKS-DEMO Domain\\User");
    for (const int pixels : {11, 16, 24}) {
        SCOPED_TRACE(pixels);
        const QFont regular = WindowFont(QStringLiteral("Tahoma"), pixels);
        QFont bold = regular;
        bold.setBold(true);
        const int thin = Ink(regular, text);
        const int heavy = Ink(bold, text);
        EXPECT_GT(heavy, thin * 6 / 5) << "regular " << thin << ", bold " << heavy;

        const QRawFont file(WineFont("tahoma.ttf"), pixels, regular.hintingPreference());
        qreal width = 0;
        for (const QPointF& advance : file.advancesForGlyphIndexes(file.glyphIndexesForString(text)))
            width += advance.x();
        EXPECT_NEAR(QFontMetricsF(regular).horizontalAdvance(text), width, 0.5);
    }
}

} // namespace
