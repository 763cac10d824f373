#pragma once
// The face the engine's windows are laid out for: "MS Sans Serif" at the
// size of 8 points on a 96-dpi screen.  Debian's fonts-wine holds a free
// version of it in a folder of its own that fontconfig does not list; the
// engine stands apart from any program that uses it, so it registers that
// file with Qt itself, unless the family is there already.

#include <QFont>
#include <QString>

namespace report {

inline constexpr char kEngineWindowFontFamily[] = "MS Sans Serif";
inline constexpr char kEngineFontFolder[] = "/usr/share/wine/fonts";
inline constexpr char kEngineWindowFontFile[] = "ms_sans_serif.ttf";
// 8 points at 96 dpi, whatever the screen's dpi.
inline constexpr int kEngineWindowFontPixelSize = 11;

// Makes the family known to Qt from the font folder (once per process);
// true when Qt knows the family afterwards.  A missing file is no error:
// the name then resolves to Qt's fallback.
bool RegisterEngineWindowFont();

// The window font, the family registered first.
QFont EngineWindowFont();

} // namespace report
