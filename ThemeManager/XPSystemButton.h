#pragma once
// A speed button that looks like a window's caption button (minimise,
// maximise, close, restore, help, in normal and MDI forms) when visual
// styles are in use, and like a plain speed button (its caption in its
// font) otherwise.  Whether it draws themed is settled when it is made: its
// own theme services watch no window, so a later theme switch leaves its
// look alone.  The theme manager never hooks it.

#include "ThemeMgr.h"
#include "ThemeSrv.h"

#include <QPointer>
#include <QToolButton>

#include <array>
#include <cstdint>
#include <memory>

enum TXPButtonType : int {
    xpMinimum,
    xpMDIMinimum,
    xpMaximum,
    xpClose,
    xpSmallClose,
    xpMDIClose,
    xpRestore,
    xpMDIRestore,
    xpHelp,
};

class TXPSystemButton : public QToolButton {
    Q_OBJECT

public:
    // The state bits.
    static constexpr std::uint8_t bsNormal = 1;
    static constexpr std::uint8_t bsHot = 2;
    static constexpr std::uint8_t bsPushed = 4;
    static constexpr std::uint8_t bsDisabled = 8;

    // 20 x 20, type xpClose, normal.
    explicit TXPSystemButton(QWidget* parent = nullptr);
    ~TXPSystemButton() override;

    TXPButtonType XPButtonType() const { return type_; }
    void SetXPButtonType(TXPButtonType type);
    // An optional theme manager: without toAllowControls in its options the
    // button draws plainly.  Cleared when the manager goes.
    TThemeManager* ThemeManager() const { return themeManager_; }
    void SetThemeManager(TThemeManager* manager) { themeManager_ = manager; }
    // The end of the owner's construction.
    void Loaded();

    std::uint8_t State() const { return state_; }
    // The window-element numbers for normal, hot, pushed and disabled.
    const std::array<std::uint8_t, 4>& Details() const { return details_; }
    // The window-element number the state paints.
    int CurrentDetail() const;
    // Themed painting, rather than the plain speed button's.
    bool PaintsThemed() const;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateDetails();
    void MouseEntered();
    void MouseLeft();

    std::unique_ptr<TThemeServices> services_;
    std::array<std::uint8_t, 4> details_{};
    std::uint8_t state_ = bsNormal;
    TXPButtonType type_ = xpClose;
    QPointer<TThemeManager> themeManager_;
};
