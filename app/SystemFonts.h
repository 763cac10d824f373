#pragma once
// The fonts the windows are laid out for: Tahoma, MS Sans Serif and the
// Marlett symbols of caption buttons.  Debian's fonts-wine holds free
// versions of them in a folder of its own that fontconfig does not list;
// the program registers them with Qt at start, so that windows and report
// text objects get the fonts they name instead of a wider fallback.

#include <QFont>
#include <QString>
#include <QStringList>

// Where fonts-wine puts its fonts.
inline constexpr char kSystemFontFolder[] = "/usr/share/wine/fonts";

// Registers the font files of the folder that are there (once per process
// for the default folder) and gives the families they added.  A missing
// folder or file is no error: the names then resolve to Qt's fallback.
// A bold file is registered only beside its regular file and only when it
// draws letters of its own: a bold file that holds the regular face's
// outlines would give thin bold text, where Qt emboldens the regular face
// when no bold face is known.
QStringList RegisterSystemFonts(const QString& folder = QString::fromLatin1(kSystemFontFolder));

// True when the bold font file draws most letters and digits with other
// outlines than the regular file does; false when either cannot be read.
bool BoldFileHasOwnOutlines(const QString& regularFile, const QString& boldFile);

// The pixel size the windows were laid out for: 8 points at 96 dpi.
inline constexpr int kWindowFontPixelSize = 11;

// A window's font: the family at a pixel size, so that text keeps the size
// the layout was made for whatever the screen's dpi.
QFont WindowFont(const QString& family, int pixelSize = kWindowFontPixelSize);
