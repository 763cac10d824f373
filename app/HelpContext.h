#pragma once
// Help contexts: the number each window carries, and the topic of the
// program's help file that a context opens.

#include <QString>

class QWidget;

// The help file beside the program.
inline constexpr char kHelpFileName[] = "qorv.chm";

// Gives a window its help context.
void SetHelpContext(QWidget* window, int context);

// The help context of the first widget from `widget` up through its parents
// that carries one; 0 when none does (nor when `widget` is null).
int HelpContextOf(const QWidget* widget);

// The topic of the help file for a help context, "::/index.html" for a
// context the program does not know.
QString HelpTopic(int context);

// The path of the help file: the program's directory and kHelpFileName.
QString HelpFilePath();
