#include "RpWindowFont.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

namespace report {

namespace {

bool FamilyKnown(const QString& family)
{
    // The family list itself: hasFamily() would also accept a name that
    // fontconfig merely substitutes.
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

bool Register()
{
    const QString family = QString::fromLatin1(kEngineWindowFontFamily);
    if (FamilyKnown(family))
        return true;
    const QString path =
        QDir(QString::fromLatin1(kEngineFontFolder)).filePath(QString::fromLatin1(kEngineWindowFontFile));
    if (!QFileInfo::exists(path) || QFontDatabase::addApplicationFont(path) < 0)
        return false;
    return FamilyKnown(family);
}

} // namespace

bool RegisterEngineWindowFont()
{
    static const bool registered = Register();
    return registered;
}

QFont EngineWindowFont()
{
    RegisterEngineWindowFont();
    QFont font(QString::fromLatin1(kEngineWindowFontFamily));
    font.setPixelSize(kEngineWindowFontPixelSize);
    return font;
}

} // namespace report
