#include "SiteBuilder.h"
#include "WhenShown.h"

#include "app/browsent.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

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
        WhenShown<TSelectCompForm>([&c](TSelectCompForm& shown) {
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

// A domain of three computers, the local one among them, and a computer
// outside every domain.
class BrowseNetworkTest : public ::testing::Test {
protected:
    SiteBuilder site;
    ScopedSystemFunctions bound;

    void SetUp() override
    {
        site.Local("WKS1").Domain("CORP");
        site.Computer("WKS1", {.domain = "CORP"});
        site.Computer("SRV1", {.domain = "CORP"});
        site.Computer("SRV2", {.domain = "CORP", .reachable = false});
        site.Computer("LONER");
        site.Load();
    }
};

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

TEST_F(BrowseNetworkTest, ListsTheNtComputersOfTheDomain)
{
    TNTBrowseNetForm form;
    form.FillServers(TNTBrowseNetForm::kNtServerType, QStringLiteral("Windows NT Computers"), true);
    ASSERT_EQ(form.tvNet()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = form.tvNet()->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Windows NT Computers");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(root->data(0, TNTBrowseNetForm::ImageIndexRole).toInt(), TNTBrowseNetForm::kGroupImage);
    EXPECT_EQ(childTexts(root), (QStringList{"WKS1", "SRV1", "SRV2"}));
    for (int i = 0; i < root->childCount(); ++i) {
        EXPECT_EQ(root->child(i)->data(0, TNTBrowseNetForm::ImageIndexRole).toInt(),
                  TNTBrowseNetForm::kComputerImage);
        EXPECT_FALSE(root->child(i)->icon(0).isNull());
    }

    // Filling again without clearing adds a second root; with clearing, not.
    form.FillServers(TNTBrowseNetForm::kNtServerType, QStringLiteral("Again"), false);
    EXPECT_EQ(form.tvNet()->topLevelItemCount(), 2);
    form.btnRefresh()->click();
    EXPECT_EQ(form.tvNet()->topLevelItemCount(), 1);
    EXPECT_EQ(form.tvNet()->topLevelItem(0)->childCount(), 3);

    // A type that no computer has lists nothing.
    form.FillServers(0x00000004, QStringLiteral("None"), true);
    EXPECT_EQ(form.tvNet()->topLevelItem(0)->childCount(), 0);
}

TEST_F(BrowseNetworkTest, OkOnlyForAComputer)
{
    WhenShown<TNTBrowseNetForm>([](TNTBrowseNetForm& form) {
        QTreeWidgetItem* root = form.tvNet()->topLevelItem(0);
        ASSERT_NE(root, nullptr);
        form.tvNet()->setCurrentItem(root);
        EXPECT_FALSE(form.btnOK()->isEnabled());
        form.tvNet()->setCurrentItem(root->child(1));
        EXPECT_TRUE(form.btnOK()->isEnabled());
        form.btnOK()->click();
    });
    QString computer;
    QString parent;
    EXPECT_TRUE(BrowseForComputer(QStringLiteral("Select computer"), computer, parent));
    EXPECT_EQ(computer, "SRV1");
    EXPECT_EQ(parent, "Windows NT Computers");

    // A double-click on a computer chooses it.
    WhenShown<TNTBrowseNetForm>([](TNTBrowseNetForm& form) {
        QTreeWidgetItem* srv2 = form.tvNet()->topLevelItem(0)->child(2);
        form.tvNet()->setCurrentItem(srv2);
        emit form.tvNet()->itemDoubleClicked(srv2, 0);
    });
    EXPECT_TRUE(BrowseForComputer(QStringLiteral("Select computer"), computer, parent));
    EXPECT_EQ(computer, "SRV2");
}

TEST_F(BrowseNetworkTest, BrowsedComputerArrivesWithoutBackslashes)
{
    TSelectCompForm select;
    WhenShown<TSelectCompForm>([](TSelectCompForm& form) {
        form.rbAnotherComp()->click();
        WhenShown<TNTBrowseNetForm>([](TNTBrowseNetForm& browse) {
            EXPECT_EQ(browse.CaptionLabel()->text(), "Select computer");
            QTreeWidgetItem* srv1 = browse.tvNet()->topLevelItem(0)->child(1);
            srv1->setText(0, QStringLiteral("\\\\SRV\\1"));
            browse.tvNet()->setCurrentItem(srv1);
            browse.btnOK()->click();
        });
        form.btnBrowseForNetwork()->click();
        EXPECT_EQ(form.edComputer()->text(), "SRV1");
        form.btnOK()->click();
    });
    QString name;
    EXPECT_TRUE(select.Execute(name));
    EXPECT_EQ(name, "SRV1");
}

TEST(NTBrowseNetForm, NoComputersLeavesOkDisabled)
{
    // No site with a domain: the local computer's browse service lists none.
    SiteBuilder lone;
    lone.Load();
    ScopedSystemFunctions bound;
    WhenShown<TNTBrowseNetForm>([](TNTBrowseNetForm& form) {
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
