#pragma once
// The description pane's text: a read-only multi-line edit whose tab stops
// lie where the platform's multi-line edit puts them by default, every 32
// dialog units of its font.  Message files line their values up with tabs
// for those stops ("Domain:%t%t%2" under "User name:%t%1").

#include <QPlainTextEdit>

class QEvent;
class QFont;

// The default tab distance of a multi-line edit in a font, in pixels: 32
// dialog units, eight times the font's dialog base unit (the average width
// of the 52 letters of the alphabet, rounded).
int EditTabDistance(const QFont& font);

class TDescriptionMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TDescriptionMemo(QWidget* parent = nullptr);

protected:
    // Keeps the tab stops with the font.
    void changeEvent(QEvent* event) override;

private:
    void SetTabStops();
};
