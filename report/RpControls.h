#pragma once
// Window routines of the engine's dialogs: enabling a group of controls
// with the colours that show it, and finding the control under a point
// (the preview's help mode).

#include <QPoint>

#include <vector>

class QWidget;

namespace report {

// For each control in order: a label's text takes the window-text colour
// (enabled) or the grey-text colour (disabled); an input control (edit,
// list, combo or spin box) takes the window colour or the button-face
// colour as its background; then the control is enabled or disabled.
void SetControlsEnabled(const std::vector<QWidget*>& controls, bool enabled);

// The visible child of parent whose rectangle holds the point (in parent's
// coordinates), the last created first.  A container with children (a
// plain widget, frame or group box) is searched in turn and is never the
// answer itself; when nothing in it holds the point the search goes on
// with the earlier siblings.  Null when no control holds the point.
QWidget* FindControlAtPoint(QWidget* parent, QPoint point);

} // namespace report
