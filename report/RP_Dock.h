#pragma once
// Toolbar buttons and separators of the engine's windows, and the
// placement of an engine window kept in the current user's registry under
// "Software\Bandwright\Form\<class>".

#include "RP_Ctrls.h"

#include <string>

class QWidget;

namespace report {

// How a control sits in its parent, as the engine's toolbars arrange
// them.  A panel tells its own alignment through the widget property
// "rpAlign" (an int of this type).
enum class TrpAlign : std::uint8_t { None, Top, Bottom, Left, Right, Client };

// Under a panel that sits in a vertical toolbar (aligned left or right)
// the control stacks from the top, else from the left.
TrpAlign ToolbarAlign(const QWidget* newParent);

class TrpTBButton : public TrpSpeedButton {
public:
    explicit TrpTBButton(QWidget* parent = nullptr);
    TrpAlign Align = TrpAlign::Left;

protected:
    bool event(QEvent* event) override;
};

class TrpTBSeparator : public QWidget {
public:
    explicit TrpTBSeparator(QWidget* parent = nullptr);
    void SetDrawBevel(bool value);
    bool DrawBevel() const { return drawBevel_; }
    TrpAlign Align = TrpAlign::Left;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool drawBevel_ = true;
};

// The registry key of a window class's placement.
std::string FormPlacementKey(const std::string& className);

// Writes "XPosition", "YPosition", "Width", "Height" and "Maximized" (all
// texts).  Raises report::Exception when the registry cannot be written.
void SaveFormPlacement(const QWidget& window, const std::string& className);
// Takes back what SaveFormPlacement wrote: a value that is absent or not a
// whole number keeps the window's own; "Maximized" 0 makes the window
// normal, anything else leaves its state.  A rectangle that no screen of
// today shows moves onto the primary screen, shrunk to fit when needed.
void RestoreFormPlacement(QWidget& window, const std::string& className);

} // namespace report
