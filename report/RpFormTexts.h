#pragma once
// The numbered engine texts that the engine's dialogs show.

#include <QString>

namespace report {

// The engine text with that number, for a dialog.
QString FormText(int id);
// The same, or the layout's own text where the engine has none.
QString FormText(int id, const QString& layoutText);

} // namespace report
