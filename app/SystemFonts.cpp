#include "SystemFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>

namespace {

// The files of the families the windows name.  A bold file names the
// regular file of its face: fonts-wine's bold Tahoma has carried the
// regular outlines with wider advances, which draws bold text as thin as
// regular text and spaced out.
struct FontFile {
    const char* file;
    const char* regular; // for a bold file; nullptr for a regular one
};
constexpr FontFile kFontFiles[] = {
    {"tahoma.ttf", nullptr},
    {"tahomabd.ttf", "tahoma.ttf"},
    {"marlett.ttf", nullptr},
    {"ms_sans_serif.ttf", nullptr},
};

// The size outlines are compared at: large enough that hinting does not
// make two different designs alike.
constexpr qreal kComparedPixelSize = 64;

QStringList RegisterFolder(const QString& folder)
{
    QStringList families;
    QStringList registered;
    const QDir dir(folder);
    for (const FontFile& entry : kFontFiles) {
        const QString path = dir.filePath(QString::fromLatin1(entry.file));
        if (!QFileInfo::exists(path))
            continue;
        if (entry.regular) {
            const QString regular = dir.filePath(QString::fromLatin1(entry.regular));
            if (!registered.contains(regular) || !BoldFileHasOwnOutlines(regular, path))
                continue;
        }
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            continue;
        registered.append(path);
        for (const QString& family : QFontDatabase::applicationFontFamilies(id))
            if (!families.contains(family))
                families.append(family);
    }
    return families;
}

} // namespace

bool BoldFileHasOwnOutlines(const QString& regularFile, const QString& boldFile)
{
    const QRawFont regular(regularFile, kComparedPixelSize);
    const QRawFont bold(boldFile, kComparedPixelSize);
    if (!regular.isValid() || !bold.isValid())
        return false;
    static const QString kLettersAndDigits =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    const QList<quint32> regularGlyphs = regular.glyphIndexesForString(kLettersAndDigits);
    const QList<quint32> boldGlyphs = bold.glyphIndexesForString(kLettersAndDigits);
    if (regularGlyphs.size() != kLettersAndDigits.size() || boldGlyphs.size() != kLettersAndDigits.size())
        return false;
    qsizetype differing = 0;
    for (qsizetype i = 0; i < kLettersAndDigits.size(); ++i)
        differing += regular.pathForGlyph(regularGlyphs[i]) != bold.pathForGlyph(boldGlyphs[i]);
    return 2 * differing > kLettersAndDigits.size();
}

QStringList RegisterSystemFonts(const QString& folder)
{
    if (folder != QLatin1String(kSystemFontFolder))
        return RegisterFolder(folder);
    // The fonts belong to the process: registered once, however many
    // windows or tests ask.
    static const QStringList registered = RegisterFolder(folder);
    return registered;
}

QFont WindowFont(const QString& family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}
