#include "OffscreenQt.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <ctime>

namespace {

QtMessageHandler defaultHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QStringLiteral("does not support propagateSizeHints")))
        return;
    if (defaultHandler)
        defaultHandler(type, context, message);
}

} // namespace

void UseOffscreenQt()
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A zone given by the caller stays: the time tests run a second and a
    // third time east and west of UTC.
    const char* zone = std::getenv("TZ");
    if (!zone || !*zone)
        ::setenv("TZ", "UTC", 1);
    ::tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void QuietOffscreenWarnings()
{
    defaultHandler = qInstallMessageHandler(quietHandler);
}
