#include "WhenShown.h"

#include "app/dwy_dlgs.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList captionsOf(const TMessageBoxWithCheck& box)
{
    QStringList captions;
    for (const QPushButton* b : box.Buttons())
        captions << b->text();
    return captions;
}

} // namespace

TEST(ButtonKinds, CaptionsAndResults)
{
    const char* expected[] = {"Help", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No", "Close"};
    QDialog form;
    for (int kind = 0; kind <= 8; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(ButtonKindCaption(kind), expected[kind]);
        QPushButton* button = CreateDialogButton(&form, kind);
        EXPECT_EQ(button->parent(), &form);
        EXPECT_EQ(button->size(), QSize(75, 22));
        form.setResult(-1);
        button->click();
        EXPECT_EQ(form.result(), kind == bkHelp ? -1 : kind);
    }
    EXPECT_EQ(ButtonKindCaption(-1), "?");
    EXPECT_EQ(ButtonKindCaption(9), "?");
}

TEST(MessageBoxWithCheckLayout, ButtonSetsByFlags)
{
    struct Case {
        UINT flags;
        QStringList buttons;
        bool closeCommand;
    } cases[] = {
        {MB_OK, {"OK"}, true},
        {MB_OKCANCEL, {"OK", "Cancel"}, true},
        {MB_ABORTRETRYIGNORE, {"Abort", "Retry", "Ignore"}, false},
        {MB_YESNOCANCEL, {"Yes", "No", "Cancel"}, true},
        {MB_YESNO, {"Yes", "No"}, false},
        {MB_RETRYCANCEL, {"Retry", "Cancel"}, true},
        {6, {"OK"}, true},
        {7, {"OK"}, true},
        {MB_YESNOCANCEL | MB_HELP, {"Yes", "No", "Cancel", "Help"}, true},
        {MB_OK | MB_HELP, {"OK", "Help"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        TMessageBoxWithCheck box("Text", "Caption", c.flags, false, "Don't ask me again");
        EXPECT_EQ(captionsOf(box), c.buttons);
        EXPECT_EQ(HasCloseCommand(&box), c.closeCommand);
        EXPECT_EQ(box.windowTitle(), "Caption");
    }
}

TEST(MessageBoxWithCheckLayout, TextStandsRightOfTheIcon)
{
    TMessageBoxWithCheck plain("Some text", "", MB_OK, false, "Check");
    EXPECT_EQ(plain.IconImage(), nullptr);
    EXPECT_EQ(plain.TextLabel()->x(), 15);

    for (UINT icon : {MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK}) {
        SCOPED_TRACE(icon);
        TMessageBoxWithCheck box("Some text", "", MB_OK | icon, false, "Check");
        ASSERT_NE(box.IconImage(), nullptr);
        EXPECT_EQ(box.IconImage()->pos(), QPoint(10, 10));
        EXPECT_EQ(box.TextLabel()->x(), 15 + 10 + box.IconImage()->width());
        EXPECT_GE(box.CheckBox()->y(), box.IconImage()->geometry().bottom());
    }
    TMessageBoxWithCheck other("Some text", "", MB_OK | 0x50, false, "Check");
    EXPECT_EQ(other.IconImage(), nullptr);
}

TEST(MessageBoxWithCheckLayout, RowsFollowTheFontsMeasures)
{
    TMessageBoxWithCheck box("Do you really want to quit?", "", MB_YESNO | MB_ICONQUESTION, false, "Check");
    const int z = QFontMetrics(box.font()).height();
    EXPECT_EQ(box.TextLabel()->y(), z);
    EXPECT_EQ(box.CheckBox()->x(), 15);
    const int y = box.CheckBox()->y();
    const auto& buttons = box.Buttons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->y(), y + 3 * z);
    EXPECT_EQ(buttons[1]->x(), buttons[0]->x() + 75 + 7);
    EXPECT_EQ(box.height(), y + 22 + 4 * z);
    // The row of buttons is centred in the box (give or take the rounding).
    const int left = buttons[0]->x();
    const int right = box.width() - (buttons[1]->x() + buttons[1]->width());
    EXPECT_LE(std::abs(left - right), 1);
}

TEST(MessageBoxWithCheckLayout, LongCheckTextWidensTheBox)
{
    const QString longText(200, u'W');
    TMessageBoxWithCheck box("Short", "", MB_OK, false, longText);
    EXPECT_EQ(box.width(), box.CheckBox()->width() + 30);
    EXPECT_GT(box.CheckBox()->width(), box.TextLabel()->width());
    EXPECT_GE(box.CheckBox()->width(), QFontMetrics(box.font()).horizontalAdvance(longText));
}

TEST(MessageBoxWithCheckLayout, DefaultButtonHasTheFocus)
{
    struct Case {
        UINT flags;
        int focused; // -1: the first
    } cases[] = {{MB_YESNOCANCEL | MB_DEFBUTTON1, 0},
                 {MB_YESNOCANCEL | MB_DEFBUTTON2, 1},
                 {MB_YESNOCANCEL | MB_DEFBUTTON3, 2},
                 {MB_YESNOCANCEL | MB_DEFBUTTON4 | MB_HELP, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        TMessageBoxWithCheck box("Text", "", c.flags, false, "Check");
        EXPECT_EQ(box.focusWidget(), box.Buttons()[static_cast<std::size_t>(c.focused)]);
        EXPECT_TRUE(box.Buttons()[static_cast<std::size_t>(c.focused)]->isDefault());
    }
    // A default button past the last one: nothing is chosen.
    TMessageBoxWithCheck box("Text", "", MB_OK | MB_DEFBUTTON3, false, "Check");
    EXPECT_FALSE(box.Buttons()[0]->isDefault());
}

TEST(MessageBoxWithCheckBehaviour, YesNoBoxIgnoresEscAndTitleBarClose)
{
    TMessageBoxWithCheck box("Text", "", MB_YESNO | MB_ICONQUESTION, false, "Check");
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.close());
    EXPECT_TRUE(box.isVisible());
}

TEST(MessageBoxWithCheckBehaviour, OtherBoxesCloseAsCancel)
{
    TMessageBoxWithCheck box("Text", "", MB_OK, false, "Check");
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.close());
    EXPECT_EQ(box.result(), IDCANCEL);
}

TEST(MessageBoxWithCheckBehaviour, HelpDoesNotCloseTheBox)
{
    TMessageBoxWithCheck box("Text", "", MB_OK | MB_HELP, false, "Check");
    box.show();
    box.Buttons().back()->click();
    EXPECT_TRUE(box.isVisible());
}

TEST(MessageBoxWithCheckBehaviour, TickedComesBackAsTheUserLeftIt)
{
    struct Case {
        bool before;
        bool click;
        const char* button;
        int result;
    } cases[] = {{false, true, "Yes", IDYES}, {true, false, "No", IDNO}, {true, true, "Yes", IDYES}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        bool ticked = c.before;
        bool startedAs = !c.before;
        WhenShown<TMessageBoxWithCheck>([&](TMessageBoxWithCheck& box) {
            startedAs = box.CheckBox()->isChecked();
            if (c.click)
                box.CheckBox()->click();
            for (QPushButton* b : box.Buttons())
                if (b->text() == c.button)
                    b->click();
        });
        const int result = MessageBoxWithCheck("Do you really want to quit?", "Quellvane", MB_YESNO | MB_ICONQUESTION,
                                               ticked, "Don't ask me again");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(startedAs, c.before);
        EXPECT_EQ(ticked, c.click ? !c.before : c.before);
    }
}
