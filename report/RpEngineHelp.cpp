#include "RpEngineHelp.h"

#include <QCoreApplication>
#include <QPoint>
#include <QVariant>
#include <QWhatsThis>
#include <QWidget>

namespace report {

namespace {

constexpr char kHelpFileProperty[] = "helpFile";
constexpr char kHelpContextProperty[] = "rpHelpContext";

} // namespace

QString ApplicationHelpFile()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr ? app->property(kHelpFileProperty).toString() : QString();
}

void SetApplicationHelpFile(const QString& file)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(kHelpFileProperty, file);
}

QString EngineHelpMessage(int context)
{
    return QStringLiteral("Help topic %1 cannot be shown: the report help file \"%2\" is not installed.")
        .arg(context)
        .arg(QLatin1String(kEngineHelpFile));
}

void SetEngineHelpContext(QWidget* control, int context)
{
    control->setProperty(kHelpContextProperty, context);
    control->setWhatsThis(EngineHelpMessage(context));
}

int EngineHelpContext(const QWidget* control)
{
    return control != nullptr ? control->property(kHelpContextProperty).toInt() : 0;
}

void ShowEngineHelpPopup(const QPoint& globalPos, int context, QWidget* parent)
{
    QWhatsThis::showText(globalPos, EngineHelpMessage(context), parent);
}

} // namespace report
