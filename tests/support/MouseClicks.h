#pragma once

// Clicks sent to a widget through its window, as the window system sends
// them: Qt's own double-click detection decides, from the presses' times,
// which press reaches the widget as a double click.  The widget's window
// must be shown.

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

// `count` left clicks at `pos` (in the widget's coordinates), their presses
// `gapMs` apart on the input clock.  The first press comes long after any
// earlier input, so it is never the second half of a double click.
inline void ClickRun(QWidget& widget, QPoint pos, int count, int gapMs)
{
    QWindow* window = widget.window()->windowHandle();
    Q_ASSERT(window != nullptr);
    const QPointF local = window->mapFromGlobal(widget.mapToGlobal(pos));
    const QPointF global = window->mapToGlobal(local);
    int& clock = QTest::lastMouseTimestamp;
    clock += 10 * QTest::mouseDoubleClickInterval;
    for (int n = 0; n < count; ++n) {
        if (n > 0)
            clock += gapMs;
        qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress,
                            Qt::NoModifier, clock);
        QCoreApplication::processEvents();
        qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease,
                            Qt::NoModifier, clock + 1);
        QCoreApplication::processEvents();
    }
    clock += 10 * QTest::mouseDoubleClickInterval;
}
