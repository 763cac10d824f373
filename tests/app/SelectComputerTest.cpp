#include "app/browsent.h"
#include "app/sel_comp.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `answer` on the modal dialog of that class once it is up.
template <class Dialog>
void whenShown(std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

TEST(SelectCompForm, Layout)
{
    TSelectCompForm form;
    EXPECT_EQ(form.windowTitle(), "Select Computer");
    EXPECT_EQ(form.size(), QSize(388, 144));
    EXPECT_EQ(form.GroupBox()->title(), "Select the computer you want to manage");
    EXPECT_EQ(form.rbLocalComp()->text(), "Local computer (the computer this program is running on)");
    EXPECT_EQ(form.rbAnotherComp()->text(), "Another computer");
    EXPECT_EQ(form.btnBrowseForNetwork()->text(), "Browse...");
    EXPECT_EQ(form.btnOK()->text(), "OK");
    EXPECT_TRUE(form.btnOK()->isDefault());
    EXPECT_EQ(form.btnCancel()->text(), "Cancel");
    EXPECT_TRUE(form.rbLocalComp()->isChecked());
}

TEST(SelectCompForm, RadioButtonsEnableTheEdit)
{
    TSelectCompForm form;
    form.show();
    EXPECT_FALSE(form.edComputer()->isEnabled());
    EXPECT_FALSE(form.btnBrowseForNetwork()->isEnabled());
    form.rbAnotherComp()->click();
    EXPECT_TRUE(form.edComputer()->isEnabled());
    EXPECT_TRUE(form.btnBrowseForNetwork()->isEnabled());
    form.rbLocalComp()->click();
    EXPECT_FALSE(form.edComputer()->isEnabled());
    EXPECT_FALSE(form.btnBrowseForNetwork()->isEnabled());
}

TEST(SelectCompForm, ExecuteGivesTheChosenComputer)
{
    struct Case {
        const char* what;
        bool another;
        const char* typed;
        bool ok;
        bool result;
        const char* name;
    } cases[] = {
        {"local, with text in the edit", false, "SRV1", true, true, ""},
        {"another, as typed", true, " \\\\SRV1 ", true, true, " \\\\SRV1 "},
        {"another, nothing typed", true, "", true, true, ""},
        {"cancel", true, "SRV1", false, false, ""},
    };
    TSelectCompForm form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        whenShown<TSelectCompForm>([&c](TSelectCompForm& shown) {
            // Every showing starts on the local computer with an empty edit.
            EXPECT_TRUE(shown.rbLocalComp()->isChecked());
            EXPECT_TRUE(shown.edComputer()->text().isEmpty());
            if (c.another) {
                shown.rbAnotherComp()->click();
                shown.edComputer()->setText(QString::fromLatin1(c.typed));
            } else {
                shown.rbAnotherComp()->click();
                shown.edComputer()->setText(QString::fromLatin1(c.typed));
                shown.rbLocalComp()->click();
            }
            (c.ok ? shown.btnOK() : shown.btnCancel())->click();
        });
        QString name = QStringLiteral("stale");
        EXPECT_EQ(form.Execute(name), c.result);
        EXPECT_EQ(name, c.name);
    }
}

TEST(NTBrowseNetForm, Layout)
{
    TNTBrowseNetForm form;
    EXPECT_EQ(form.windowTitle(), "Browse For Network Computers");
    EXPECT_EQ(form.size(), QSize(320, 282));
    EXPECT_EQ(form.CaptionLabel()->text(), "Select computer");
    EXPECT_EQ(form.btnOK()->text(), "OK");
    EXPECT_TRUE(form.btnOK()->isDefault());
    EXPECT_EQ(form.btnCancel()->text(), "Cancel");
    EXPECT_EQ(form.btnRefresh()->text(), "Refresh");
}

TEST(NTBrowseNetForm, NoComputersLeavesOkDisabled)
{
    whenShown<TNTBrowseNetForm>([](TNTBrowseNetForm& form) {
        EXPECT_EQ(form.CaptionLabel()->text(), "Pick one");
        ASSERT_EQ(form.tvNet()->topLevelItemCount(), 1);
        QTreeWidgetItem* root = form.tvNet()->topLevelItem(0);
        EXPECT_EQ(root->text(0), "Windows NT Computers");
        form.tvNet()->setCurrentItem(root);
        EXPECT_FALSE(form.btnOK()->isEnabled());
        // Double-clicking the root chooses nothing.
        emit form.tvNet()->itemDoubleClicked(root, 0);
        EXPECT_TRUE(form.isVisible());
        form.btnCancel()->click();
    });
    QString computer = QStringLiteral("stale");
    QString parent = QStringLiteral("stale");
    EXPECT_FALSE(BrowseForComputer(QStringLiteral("Pick one"), computer, parent));
    EXPECT_TRUE(computer.isEmpty());
    EXPECT_TRUE(parent.isEmpty());
}

} // namespace
