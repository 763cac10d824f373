#include "ThemeTestSupport.h"

#include "ThemeManager/ThemeMgr.h"
#include "ThemeManager/XPSystemButton.h"

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void enter(QWidget* widget)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

// The log window's close button.
std::unique_ptr<TXPSystemButton> closeButton()
{
    auto button = std::make_unique<TXPSystemButton>();
    QFont marlett(QStringLiteral("Marlett"));
    marlett.setPointSize(7);
    button->setFont(marlett);
    button->setText(QStringLiteral("r"));
    button->SetXPButtonType(xpMDIClose);
    button->setAutoRaise(true);
    button->resize(14, 14);
    return button;
}

} // namespace

TEST(XPSystemButton, EachTypePaintsItsCaptionButtonPart)
{
    const int parts[] = {15, 16, 17, 18, 19, 20, 21, 22, 23};
    TXPSystemButton button;
    EXPECT_EQ(button.XPButtonType(), xpClose);
    EXPECT_EQ(button.size(), QSize(20, 20));
    for (int type = xpMinimum; type <= xpHelp; ++type) {
        SCOPED_TRACE(type);
        button.SetXPButtonType(static_cast<TXPButtonType>(type));
        for (int state = 0; state < 4; ++state) {
            const ThemedElementDetails details = GetWindowDetails(button.Details()[static_cast<std::size_t>(state)]);
            EXPECT_EQ(details.Element, teWindow);
            EXPECT_EQ(details.Part, parts[type]);
            EXPECT_EQ(details.State, state + 1);
        }
    }
}

TEST(XPSystemButton, FollowsTheMouseAndClicks)
{
    auto button = closeButton();
    QSignalSpy clicks(button.get(), &QAbstractButton::clicked);
    ASSERT_TRUE(button->PaintsThemed());
    EXPECT_EQ(button->CurrentDetail(), 67);

    enter(button.get());
    EXPECT_EQ(button->CurrentDetail(), 68);
    mouse(button.get(), QEvent::MouseButtonPress, QPoint(7, 7), Qt::LeftButton);
    EXPECT_EQ(button->CurrentDetail(), 69);

    // Dragged off, it looks normal until the mouse comes back.
    mouse(button.get(), QEvent::MouseMove, QPoint(40, 7), Qt::LeftButton);
    EXPECT_EQ(button->CurrentDetail(), 67);
    mouse(button.get(), QEvent::MouseMove, QPoint(7, 7), Qt::LeftButton);
    EXPECT_EQ(button->CurrentDetail(), 69);

    mouse(button.get(), QEvent::MouseButtonRelease, QPoint(7, 7), Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->State(), TXPSystemButton::bsHot);
    EXPECT_EQ(button->CurrentDetail(), 68);
    leave(button.get());
    EXPECT_EQ(button->State(), TXPSystemButton::bsNormal);

    // Released off the button: no click, and normal again.
    mouse(button.get(), QEvent::MouseButtonPress, QPoint(7, 7), Qt::LeftButton);
    mouse(button.get(), QEvent::MouseButtonRelease, QPoint(40, 7), Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->State(), TXPSystemButton::bsNormal);

    button->setEnabled(false);
    EXPECT_EQ(button->CurrentDetail(), 70);
    enter(button.get());
    EXPECT_EQ(button->CurrentDetail(), 70);
    button->setEnabled(true);
    EXPECT_EQ(button->CurrentDetail(), 67);
}

TEST(XPSystemButton, EachStateLooksItsOwn)
{
    auto button = closeButton();
    const QImage normal = button->grab().toImage();
    enter(button.get());
    const QImage hot = button->grab().toImage();
    mouse(button.get(), QEvent::MouseButtonPress, QPoint(7, 7), Qt::LeftButton);
    const QImage pushed = button->grab().toImage();
    mouse(button.get(), QEvent::MouseButtonRelease, QPoint(40, 7), Qt::NoButton);
    leave(button.get());
    button->setEnabled(false);
    const QImage disabled = button->grab().toImage();
    EXPECT_NE(normal, hot);
    EXPECT_NE(hot, pushed);
    EXPECT_NE(normal, disabled);
}

TEST(XPSystemButton, WithoutTheLibraryShowsItsCaptionInItsFont)
{
    ScopedTheme noLibrary(PlatformProfile::nt5());
    auto button = closeButton();
    EXPECT_FALSE(button->PaintsThemed());

    // Exactly as a plain speed button with the same caption and font.
    QToolButton plain;
    plain.setFont(button->font());
    plain.setText(QStringLiteral("r"));
    plain.setAutoRaise(true);
    plain.resize(14, 14);
    EXPECT_EQ(button->grab().toImage(), plain.grab().toImage());
}

TEST(XPSystemButton, ItsLookIsSettledWhenItIsMade)
{
    auto themed = closeButton();
    std::unique_ptr<TXPSystemButton> plain;
    {
        ScopedTheme switchedOff(WithoutVisualStyle());
        EXPECT_TRUE(themed->PaintsThemed());
        plain = closeButton();
        EXPECT_FALSE(plain->PaintsThemed());
    }
    EXPECT_TRUE(themed->PaintsThemed());
    EXPECT_FALSE(plain->PaintsThemed());
}

TEST(XPSystemButton, AThemeManagerWithoutThemedControlsMakesItPlain)
{
    ScopedProfile restore(platform::CurrentProfile());
    auto button = closeButton();
    auto manager = std::make_unique<TThemeManager>();
    button->SetThemeManager(manager.get());
    EXPECT_TRUE(button->PaintsThemed());
    manager->SetOptions(kDefaultThemeOptions.Without(toAllowControls));
    EXPECT_FALSE(button->PaintsThemed());
    manager->SetOptions(kDefaultThemeOptions);
    manager.reset();
    EXPECT_EQ(button->ThemeManager(), nullptr);
    EXPECT_TRUE(button->PaintsThemed());
}
