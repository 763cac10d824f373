#include "DescriptionMemo.h"

#include <QEvent>
#include <QFontMetricsF>

#include <cmath>

int EditTabDistance(const QFont& font)
{
    static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const qreal average = QFontMetricsF(font).horizontalAdvance(kLetters) / kLetters.size();
    return 8 * static_cast<int>(std::lround(average));
}

TDescriptionMemo::TDescriptionMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    SetTabStops();
}

void TDescriptionMemo::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        SetTabStops();
}

void TDescriptionMemo::SetTabStops()
{
    setTabStopDistance(EditTabDistance(font()));
}
