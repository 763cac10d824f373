// The boxes every failure of a command shows.
#include "AppFakes.h"

#include "app/UserPrompts.h"
#include "app/dwy_dlgs.h"

#include "platform/MessageBoxTypes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

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

} // namespace
