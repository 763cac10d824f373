#pragma once
// The numbered engine texts that the engine's dialogs show.

#include <QString>

namespace report {

// The engine text with that number, for a dialog.
QString FormText(int id);
// The same, or the layout's own text where the engine has none.
QString FormText(int id, const QString& layoutText);

// A text with an "&"-marked accelerator as rich text for a label that has
// no control to focus: the marked letter underlined, "&&" a single "&",
// and no key of its own.
QString UnderlinedAccelerator(const QString& text);

} // namespace report
