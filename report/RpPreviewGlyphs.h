#pragma once
// The glyphs of the preview's buttons, drawn by the program: 16 x 16 for
// the toolbar, 8 x 8 for the page buttons, on the transparent olive of
// engine glyphs.

#include <QImage>

namespace report::PreviewGlyphs {

QImage Zoom();
QImage Open();
QImage Save();
QImage Print();
QImage PageSetup();
QImage Find();
QImage Help();
QImage Exit();
QImage PageUp();
QImage PageDown();

} // namespace report::PreviewGlyphs
