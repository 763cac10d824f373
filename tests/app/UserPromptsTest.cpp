// The boxes every failure of a command shows.
#include "AppFakes.h"
#include "WhenShown.h"

#include "app/UserPrompts.h"
#include "app/dwy_dlgs.h"

#include "platform/MessageBoxTypes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ShowException, TheCaptionIsTheProgramsTitle)
{
    // The application object of these tests has a name of its own: the
    // caption must not come from it.
    FakePrompts prompts;
    ScopedUserPrompts use(prompts);
    ShowException(nullptr, "The RPC server is unavailable.");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].text, "The RPC server is unavailable.");
    EXPECT_EQ(prompts.asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

// Texts of boxes carry names from other computers (logs, computers, files):
// they show as they are, never as markup.
TEST(MessageBoxes, ShowTheirTextsAsPlainText)
{
    const QString text = QStringLiteral("Event log <b>App</b> on <i>SRV1</i> is not accessible!");
    auto shownWhole = [&text](const QLabel* label) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), text);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    };

    QTimer::singleShot(0, [&shownWhole] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownWhole(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
        box->accept();
    });
    UserPrompts().MessageBox(nullptr, text, QStringLiteral("Quellvane"), MB_OK | MB_ICONERROR);

    bool ticked = false;
    QTimer::singleShot(0, [&shownWhole] {
        auto* box = qobject_cast<TMessageBoxWithCheck*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownWhole(box->TextLabel());
        box->done(IDOK);
    });
    UserPrompts().MessageBoxWithCheck(text, QStringLiteral("Quellvane"), MB_OK, ticked,
                                      QStringLiteral("Don't ask me again"));
}

// The platform's message boxes take their keys as the platform's do: the
// default button has the focus (Enter answers with it), Yes and No have
// mnemonics (their letter answers), and Esc answers Cancel where there is a
// Cancel button, else OK where there is an OK button, else nothing (and
// then the title bar cannot close the box either).
TEST(MessageBoxes, TakeTheirKeysAsThePlatformsDo)
{
    struct Case {
        UINT flags;
        QStringList captions; // as the platform orders them
        int focused;          // the default button, which has the focus
        int onEscape;         // 0: Esc does nothing
        Qt::Key letter;       // a letter that answers, or 0
        int onLetter;
    } cases[] = {
        {MB_OK, {"OK"}, 0, IDOK, Qt::Key(0), 0},
        {MB_OK | MB_HELP, {"OK", "Help"}, 0, IDOK, Qt::Key(0), 0},
        {MB_OK | MB_DEFBUTTON2, {"OK"}, 0, IDOK, Qt::Key(0), 0},
        {MB_OKCANCEL | MB_DEFBUTTON2, {"OK", "Cancel"}, 1, IDCANCEL, Qt::Key(0), 0},
        {MB_YESNO, {"&Yes", "&No"}, 0, 0, Qt::Key_N, IDNO},
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, {"&Yes", "&No"}, 1, 0, Qt::Key_Y, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {"&Yes", "&No", "Cancel"}, 2, IDCANCEL, Qt::Key_Y, IDYES},
        {MB_RETRYCANCEL, {"Retry", "Cancel"}, 0, IDCANCEL, Qt::Key(0), 0},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, {"Abort", "Retry", "Ignore"}, 1, 0, Qt::Key(0), 0},
    };
    const std::vector<std::pair<QString, int>> ids = {{"OK", IDOK},       {"Cancel", IDCANCEL}, {"&Yes", IDYES},
                                                      {"&No", IDNO},      {"Retry", IDRETRY},   {"Abort", IDABORT},
                                                      {"Ignore", IDIGNORE}, {"Help", IDHELP}};
    const auto idOf = [&ids](const QString& caption) {
        for (const auto& [text, id] : ids)
            if (text == caption)
                return id;
        return 0;
    };
    enum Answer { Enter, Escape, Letter };
    for (const Case& c : cases) {
        for (Answer how : {Enter, Escape, Letter}) {
            if (how == Letter && c.letter == 0)
                continue;
            SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags << ", answer " << how);
            bool stayed = false;
            WhenShown<QMessageBox>([&](QMessageBox& box) {
                QStringList captions;
                QAbstractButton* focused = nullptr;
                for (QAbstractButton* button : box.buttons()) {
                    captions << button->text();
                    if (button->text() == c.captions.value(c.focused))
                        focused = button;
                }
                captions.sort();
                QStringList expected = c.captions;
                expected.sort();
                EXPECT_EQ(captions.join(u','), expected.join(u','));
                ASSERT_NE(focused, nullptr);
                EXPECT_EQ(box.focusWidget(), focused);
                QWidget* keys = box.focusWidget() ? box.focusWidget() : &box;
                QTest::keyClick(keys, how == Enter ? Qt::Key_Return : how == Escape ? Qt::Key_Escape : c.letter);
                const bool answers = how != Escape || c.onEscape != 0;
                const bool closed = QTest::qWaitFor([&box] { return !box.isVisible(); }, answers ? 2000 : 200);
                EXPECT_EQ(closed, answers);
                if (!closed) {
                    // Nor can the title bar close it.
                    stayed = !box.close();
                    focused->click();
                }
            });
            const int result =
                UserPrompts().MessageBox(nullptr, QStringLiteral("Text"), QStringLiteral("Quellvane"), c.flags);
            switch (how) {
            case Enter:
                EXPECT_EQ(result, idOf(c.captions.value(c.focused)));
                break;
            case Escape:
                if (c.onEscape == 0)
                    EXPECT_TRUE(stayed);
                else
                    EXPECT_EQ(result, c.onEscape);
                break;
            case Letter:
                EXPECT_EQ(result, c.onLetter);
                break;
            }
        }
    }
}

} // namespace
