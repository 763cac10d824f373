#include "AppFakes.h"
#include "SiteBuilder.h"
#include "WhenShown.h"

#include "app/compopen.h"
#include "app/logview.h"
#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "tools/evtgen/EvtGenerator.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// Two providers, the Windows network second; its domain CORP holds the
// local computer WKS1 and the server SRV1, the workgroup LAB the server
// SRV9, which does not answer, and LAB1.
class OpenLogTest : public ::testing::Test {
protected:
    SiteBuilder site;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};

    void SetUp() override
    {
        site.Local("WKS1")
            .Provider("Other Network")
            .Provider("Microsoft Windows Network")
            .Domain("CORP", "Microsoft Windows Network")
            .Domain("LAB", "Microsoft Windows Network")
            .Domain("FAR", "Other Network")
            .Computer("WKS1", {.domain = "CORP"})
            .Computer("SRV1", {.domain = "CORP"})
            .Computer("SRV9", {.domain = "LAB", .reachable = false})
            .Computer("LAB1", {.domain = "LAB"})
            .StandardEventLogs("WKS1")
            .StandardEventLogs("SRV1")
            .StandardEventLogs("LAB1");
        for (const char* computer : {"WKS1", "SRV1"})
            for (const char* file : {"AppEvent.Evt", "SecEvent.Evt", "SysEvent.Evt"})
                writeLog(computer, file);
        site.Load();
    }

    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void writeLog(const std::string& computer, const std::string& file)
    {
        const std::string path = site.DriveFile(computer, "WINDOWS\\system32\\config\\" + file, "");
        std::string error;
        if (!evtgen::WriteEvtLog("clock time=2021-03-04T05:06:07Z\nevent type=information source=Userenv id=1 "
                                 "repeat=3\n",
                                 path, error))
            throw std::runtime_error("the test log is not written: " + error);
    }

    static QStringList listTexts(const TfrmCompBrowse& dialog)
    {
        QStringList texts;
        for (int i = 0; i < dialog.lvBrowser()->count(); ++i)
            texts << dialog.lvBrowser()->item(i)->text();
        return texts;
    }

    static QStringList lookInTexts(const TfrmCompBrowse& dialog)
    {
        QStringList texts;
        for (int i = 0; i < dialog.cbxTree()->count(); ++i)
            texts << dialog.cbxTree()->itemText(i);
        return texts;
    }

    static QListWidgetItem* item(const TfrmCompBrowse& dialog, const QString& text)
    {
        const QList<QListWidgetItem*> found = dialog.lvBrowser()->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    static void openItem(TfrmCompBrowse& dialog, const QString& text)
    {
        QListWidgetItem* it = item(dialog, text);
        ASSERT_NE(it, nullptr) << text.toStdString();
        dialog.lvBrowser()->setCurrentItem(it);
        emit dialog.lvBrowser()->itemDoubleClicked(it);
    }
};

TEST_F(OpenLogTest, Layout)
{
    TfrmCompBrowse dialog;
    EXPECT_EQ(dialog.windowTitle(), "Open Log");
    EXPECT_EQ(dialog.size(), QSize(411, 289));
    EXPECT_EQ(dialog.btnOpen()->text(), "Open");
    EXPECT_TRUE(dialog.btnOpen()->isDefault());
    EXPECT_EQ(dialog.btnCancel()->text(), "Cancel");
    EXPECT_EQ(dialog.cbxTree()->maxVisibleItems(), 30);
    EXPECT_FALSE(dialog.cbxLog()->isEditable());
}

TEST_F(OpenLogTest, BrowsesFromTheRootToTheLogsOfAComputer)
{
    TfrmCompBrowse dialog;
    dialog.show();
    // The root is the top of the Windows network, whatever its place among
    // the providers; its domains come in the provider's order.
    EXPECT_EQ(dialog.Root().RemoteName(), "Microsoft Windows Network");
    EXPECT_EQ(lookInTexts(dialog), QStringList{"Microsoft Windows Network"});
    EXPECT_EQ(listTexts(dialog), (QStringList{"CORP", "LAB"}));
    EXPECT_EQ(item(dialog, "CORP")->data(TfrmCompBrowse::ImageIndexRole).toInt(), 1);
    EXPECT_FALSE(dialog.btnBack()->isEnabled());
    EXPECT_FALSE(dialog.btnUp()->isEnabled());

    openItem(dialog, "CORP");
    EXPECT_EQ(listTexts(dialog), (QStringList{"WKS1", "SRV1"}));
    EXPECT_EQ(lookInTexts(dialog), (QStringList{"Microsoft Windows Network", "CORP"}));
    EXPECT_EQ(dialog.cbxTree()->currentIndex(), 1);
    EXPECT_TRUE(dialog.btnBack()->isEnabled());
    EXPECT_TRUE(dialog.btnUp()->isEnabled());
    EXPECT_TRUE(dialog.edComputer()->text().isEmpty());

    openItem(dialog, "SRV1");
    EXPECT_EQ(listTexts(dialog), (QStringList{"Application", "Security", "System"}));
    for (int i = 0; i < dialog.lvBrowser()->count(); ++i)
        EXPECT_EQ(dialog.lvBrowser()->item(i)->data(TfrmCompBrowse::ImageIndexRole).toInt(),
                  TNetworkImages::kLogImage);
    EXPECT_EQ(lookInTexts(dialog), (QStringList{"Microsoft Windows Network", "CORP", "SRV1"}));
    EXPECT_EQ(dialog.edComputer()->text(), "SRV1");
    EXPECT_EQ(dialog.cbxLog()->count(), 3);
    EXPECT_EQ(dialog.cbxLog()->currentText(), "");
    EXPECT_EQ(dialog.evlBrowser().MachineName(), "\\\\SRV1");
    EXPECT_EQ(dialog.evlBrowser().DomainName(), "CORP");
    EXPECT_EQ(dialog.HistoryCount(), 3);

    // The log field and the list follow each other.
    dialog.cbxLog()->setCurrentIndex(2);
    EXPECT_EQ(dialog.lvBrowser()->currentItem()->text(), "System");
    dialog.lvBrowser()->setCurrentItem(item(dialog, "Security"));
    EXPECT_EQ(dialog.cbxLog()->currentText(), "Security");
}

TEST_F(OpenLogTest, BackAndUp)
{
    TfrmCompBrowse dialog;
    dialog.show();
    openItem(dialog, "CORP");
    openItem(dialog, "SRV1");

    // Up goes to the parent and is one more step of the history.
    dialog.btnUp()->click();
    EXPECT_EQ(listTexts(dialog), (QStringList{"WKS1", "SRV1"}));
    EXPECT_EQ(dialog.HistoryCount(), 4);
    EXPECT_TRUE(dialog.edComputer()->text().isEmpty());
    EXPECT_EQ(dialog.cbxLog()->count(), 0);

    // Back retraces the steps: SRV1, CORP, the root; then it does nothing.
    dialog.btnBack()->click();
    EXPECT_EQ(dialog.edComputer()->text(), "SRV1");
    dialog.btnBack()->click();
    EXPECT_EQ(lookInTexts(dialog), (QStringList{"Microsoft Windows Network", "CORP"}));
    dialog.btnBack()->click();
    EXPECT_EQ(listTexts(dialog), (QStringList{"CORP", "LAB"}));
    EXPECT_EQ(dialog.HistoryCount(), 1);
    EXPECT_FALSE(dialog.btnBack()->isEnabled());
    dialog.btnBackClick();
    EXPECT_EQ(dialog.HistoryCount(), 1);

    // Backspace in the list is Up; at the root, Up stays at the root.
    openItem(dialog, "LAB");
    QTest::keyClick(dialog.lvBrowser(), Qt::Key_Backspace);
    EXPECT_EQ(listTexts(dialog), (QStringList{"CORP", "LAB"}));
    dialog.btnUpClick();
    EXPECT_EQ(listTexts(dialog), (QStringList{"CORP", "LAB"}));

    // A look-in entry is browsed to.
    openItem(dialog, "CORP");
    openItem(dialog, "WKS1");
    dialog.cbxTreeSelect(1);
    EXPECT_EQ(listTexts(dialog), (QStringList{"WKS1", "SRV1"}));
}

TEST_F(OpenLogTest, AComputerThatDoesNotAnswerLeavesTheDialogWhereItWas)
{
    TfrmCompBrowse dialog;
    dialog.show();
    openItem(dialog, "LAB");
    const int steps = dialog.HistoryCount();
    openItem(dialog, "SRV9");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(listTexts(dialog), (QStringList{"SRV9", "LAB1"}));
    EXPECT_EQ(dialog.HistoryCount(), steps);
    EXPECT_TRUE(dialog.edComputer()->text().isEmpty());

    dialog.btnBack()->click();
    EXPECT_EQ(listTexts(dialog), (QStringList{"CORP", "LAB"}));
}

TEST_F(OpenLogTest, AStartThatDoesNotAnswerFallsBackToTheRoot)
{
    TNTNetResource gone;
    gone.SetDisplayType(TfrmCompBrowse::kDisplayTypeServer);
    gone.SetUsage(2);
    gone.SetRemoteName("\\\\SRV9");
    gone.SetProvider("Microsoft Windows Network");
    TfrmCompBrowse dialog;
    for (int time = 0; time < 2; ++time) {
        SCOPED_TRACE(time);
        prompts.asked.clear();
        WhenShown<TfrmCompBrowse>([this](TfrmCompBrowse& shown) {
            // The failure is told once, and the dialog is usable at the root.
            EXPECT_EQ(prompts.asked.size(), 1u);
            EXPECT_EQ(listTexts(shown), (QStringList{"CORP", "LAB"}));
            EXPECT_EQ(shown.HistoryCount(), 1);
            openItem(shown, "CORP");
            openItem(shown, "SRV1");
            openItem(shown, "Application");
        });
        QString computer;
        QString log;
        const TNTNetResource* location = dialog.Execute(&gone, computer, log);
        ASSERT_NE(location, nullptr);
        EXPECT_EQ(location->RemoteName(), "\\\\SRV1");
    }
}

TEST_F(OpenLogTest, ExecuteGivesTheFieldsAndTheLocation)
{
    TfrmCompBrowse dialog;
    QString computer;
    QString log;

    // A double-click on a log: the fields as the browse filled them.
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        openItem(shown, "CORP");
        openItem(shown, "SRV1");
        shown.lvBrowser()->setCurrentItem(item(shown, "System"));
        openItem(shown, "System");
    });
    const TNTNetResource* location = dialog.Execute(nullptr, computer, log);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(computer, "SRV1");
    EXPECT_EQ(log, "System");
    EXPECT_EQ(location->RemoteName(), "\\\\SRV1");

    // A typed computer goes back as typed, with the chosen log.
    TNTNetResource start;
    start.Assign(*location);
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        EXPECT_EQ(shown.edComputer()->text(), "SRV1");
        shown.edComputer()->setText(QStringLiteral(" \\\\Elsewhere "));
        shown.cbxLog()->setCurrentIndex(0);
        shown.btnOpen()->click();
    });
    ASSERT_NE(dialog.Execute(&start, computer, log), nullptr);
    EXPECT_EQ(computer, " \\\\Elsewhere ");
    EXPECT_EQ(log, "Application");

    // Open without both fields opens the selected item; Cancel gives null.
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        shown.lvBrowser()->setCurrentItem(item(shown, "CORP"));
        shown.btnOpen()->click();
        EXPECT_EQ(listTexts(shown), (QStringList{"WKS1", "SRV1"}));
        shown.btnCancel()->click();
    });
    EXPECT_EQ(dialog.Execute(nullptr, computer, log), nullptr);
}

// Browsing to a computer chooses none of its logs: the list shows none
// chosen while the log field is empty, and Open then opens nothing (it used
// to close the dialog with an empty log); the log chosen in the list is the
// one opened, also when the dialog starts at the computer.
TEST_F(OpenLogTest, OpenGivesTheLogTheListShowsChosen)
{
    TfrmCompBrowse dialog;
    QString computer;
    QString log;
    auto chooseSystem = [](TfrmCompBrowse& shown) {
        EXPECT_EQ(shown.edComputer()->text(), "SRV1");
        EXPECT_EQ(shown.cbxLog()->currentText(), "");
        EXPECT_TRUE(shown.lvBrowser()->selectedItems().isEmpty());
        shown.lvBrowser()->setFocus();
        shown.btnOpen()->click();
        EXPECT_TRUE(shown.isVisible());
        shown.lvBrowser()->setCurrentItem(item(shown, "System"));
        shown.btnOpen()->click();
    };
    WhenShown<TfrmCompBrowse>([&chooseSystem](TfrmCompBrowse& shown) {
        openItem(shown, "CORP");
        openItem(shown, "SRV1");
        chooseSystem(shown);
    });
    const TNTNetResource* location = dialog.Execute(nullptr, computer, log);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(log, "System");

    TNTNetResource start;
    start.Assign(*location);
    WhenShown<TfrmCompBrowse>(chooseSystem);
    ASSERT_NE(dialog.Execute(&start, computer, log), nullptr);
    EXPECT_EQ(computer, "SRV1");
    EXPECT_EQ(log, "System");

    // A log item opened from the list is the log given.
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        emit shown.lvBrowser()->itemDoubleClicked(item(shown, "Security"));
    });
    ASSERT_NE(dialog.Execute(&start, computer, log), nullptr);
    EXPECT_EQ(log, "Security");
}

TEST_F(OpenLogTest, FileOpenLogOpensTheChosenLogAndRemembersWhere)
{
    TfrmQORVMain main;
    main.show();
    EXPECT_TRUE(main.actOpenLog()->isEnabled());
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        openItem(shown, "CORP");
        openItem(shown, "SRV1");
        openItem(shown, "Security");
    });
    main.actOpenLog()->trigger();
    ASSERT_EQ(main.LogWindows().size(), 1u);
    EXPECT_EQ(main.LogWindows()[0]->windowTitle(), "Security on SRV1");
    ASSERT_NE(main.OpenLogLocation(), nullptr);
    EXPECT_EQ(main.OpenLogLocation()->RemoteName(), "\\\\SRV1");

    // The next time starts where the last one ended; the same log again
    // asks whether to open another window.
    prompts.answer = IDNO;
    WhenShown<TfrmCompBrowse>([](TfrmCompBrowse& shown) {
        EXPECT_EQ(shown.edComputer()->text(), "SRV1");
        openItem(shown, "Security");
    });
    main.actOpenLog()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(prompts.asked[0].text.startsWith("Log window for Security on SRV1 already exists!"));
    EXPECT_EQ(main.LogWindows().size(), 1u);
    main.CloseAllLogWindows();
}

} // namespace
