#include "SystemFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

namespace {

// The files of the families the windows name.  fonts-wine's bold Tahoma
// (tahomabd.ttf) carries the regular face's outlines with wider advances,
// so it is left out: Qt then emboldens the regular face for bold text.
constexpr const char* kFontFiles[] = {"tahoma.ttf", "marlett.ttf", "ms_sans_serif.ttf"};

QStringList RegisterFolder(const QString& folder)
{
    QStringList families;
    const QDir dir(folder);
    for (const char* file : kFontFiles) {
        const QString path = dir.filePath(QString::fromLatin1(file));
        if (!QFileInfo::exists(path))
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            continue;
        for (const QString& family : QFontDatabase::applicationFontFamilies(id))
            if (!families.contains(family))
                families.append(family);
    }
    return families;
}

} // namespace

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
