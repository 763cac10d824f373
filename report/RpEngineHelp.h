#pragma once
// Help of the engine's windows.  Their popups name the engine's own help
// file, "RPuser.hlp", which this system does not install: asking for a
// popup shows a message saying so, with the control's help context.

#include <QString>

class QPoint;
class QWidget;

namespace report {

inline constexpr char kEngineHelpFile[] = "RPuser.hlp";

// The application's help file, as the engine's windows switch it while
// they are active (a property of the application object; empty when none
// is set).
QString ApplicationHelpFile();
void SetApplicationHelpFile(const QString& file);

// What a help popup shows for a help context.
QString EngineHelpMessage(int context);

// Gives a control its help context: its "What's This?" help is the popup.
void SetEngineHelpContext(QWidget* control, int context);
int EngineHelpContext(const QWidget* control);

// Shows the context popup of a help context at a point of the screen.
void ShowEngineHelpPopup(const QPoint& globalPos, int context, QWidget* parent);

} // namespace report
