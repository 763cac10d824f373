#include "HelpContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace {

constexpr char kHelpContextProperty[] = "HelpContext";

} // namespace

void SetHelpContext(QWidget* window, int context)
{
    window->setProperty(kHelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant context = w->property(kHelpContextProperty);
        if (context.isValid())
            return context.toInt();
    }
    return 0;
}

QString HelpTopic(int context)
{
    switch (context) {
    case 100: // the main window
        return QStringLiteral("::/index.html");
    case 200: // a log window
        return QStringLiteral("::/interface.html#EventLogWindow");
    case 300: // the about box
    case 410: // the browse network dialog
    case 600: // the Open Log dialog
    case 700: // the log properties dialog
        return QStringLiteral("::/interface.html");
    case 400: // the select computer dialog
        return QStringLiteral("::/selcomp.html");
    case 500: // the filter dialog
        return QStringLiteral("::/filter.html");
    default:
        return QStringLiteral("::/index.html");
    }
}

QString HelpFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kHelpFileName));
}
