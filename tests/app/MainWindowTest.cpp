#include "AppFakes.h"
#include "MainWindowSite.h"

#include "app/ComputerList.h"
#include "app/common.h"
#include "app/dwy_reg.h"
#include "app/filt_frm.h"
#include "app/logview.h"
#include "app/main.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/ErrorCodes.h"
#include "platform/PlatformProfile.h"
#include "platform/Registry.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionMenuItem>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The text of a registry file (UTF-16 with its byte-order mark) as UTF-8.
std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string raw = bytes.str();
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.data()),
                                      static_cast<qsizetype>(raw.size() / 2));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.toStdString();
}

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowSite network;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override { StartMainWindow(); }

    void TearDown() override
    {
        StopMainWindow();
    }

    void StartMainWindow()
    {
        main = std::make_unique<TfrmQORVMain>();
        main->show();
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }

    void StopMainWindow()
    {
        main.reset();
        flushDeletes();
    }

    QTreeWidget* tree() const { return main->tvComputers(); }

    QStringList computers() const
    {
        QStringList texts;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            texts << tree()->topLevelItem(i)->text(0);
        return texts;
    }

    QTreeWidgetItem* computer(const QString& text) const { return main->ComputerInTree(text); }

    // The log node of an expanded computer.
    QTreeWidgetItem* logNode(const QString& computerText, const QString& log)
    {
        QTreeWidgetItem* node = computer(computerText);
        if (!node)
            return nullptr;
        if (!node->isExpanded())
            tree()->expandItem(node);
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == log)
                return node->child(i);
        return nullptr;
    }

    void doubleClick(QTreeWidgetItem* node)
    {
        tree()->scrollToItem(node);
        const QPoint at = tree()->visualItemRect(node).center();
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
    }

    void select(QTreeWidgetItem* node)
    {
        tree()->clearSelection();
        tree()->setCurrentItem(node);
        node->setSelected(true);
    }

    // Runs `fill` on the select computer dialog once it is up.
    void answerSelectComputer(std::function<void(TSelectCompForm&)> fill)
    {
        QTimer::singleShot(0, [fill] {
            auto* form = qobject_cast<TSelectCompForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            fill(*form);
        });
    }

    std::vector<QString> windowCaptions() const
    {
        std::vector<QString> captions;
        for (const TfrmLogView* w : main->LogWindows())
            captions.push_back(w->windowTitle());
        return captions;
    }
};

// ---------------------------------------------------------------------------
// Start-up and layout

TEST_F(MainWindowTest, StartShowsTheLocalComputer)
{
    EXPECT_EQ(main->LocalName(), "WKS1");
    EXPECT_EQ(main->windowTitle(), "Quellvane");
    ASSERT_EQ(computers(), QStringList{"WKS1 (Local)"});
    QTreeWidgetItem* local = tree()->topLevelItem(0);
    EXPECT_EQ(local->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(local->childCount(), 0);
    EXPECT_EQ(local->data(0, TfrmQORVMain::ImageIndexRole).toInt(), tiComputer);
    EXPECT_FALSE(local->icon(0).isNull());
    EXPECT_EQ(main->StatusPanel()->text(), "Ready");
    EXPECT_GE(main->StatusPanel()->width(), 200);
    EXPECT_TRUE(main->LogWindows().empty());
}

TEST_F(MainWindowTest, CommandStatesAtStart)
{
    // Commands with a handler in this build that start enabled.
    EXPECT_TRUE(main->actAddComputer()->isEnabled());
    EXPECT_TRUE(main->mmitQuit()->isEnabled());
    EXPECT_TRUE(main->pmitAddComputer()->isEnabled());
    // Nothing selected: no computer to remove.
    EXPECT_FALSE(main->actRemoveComputer()->isEnabled());
    EXPECT_FALSE(main->pmitRemoveComputer()->isEnabled());
    for (QAction* a : {main->actSaveLogAs(), main->actClearLog(), main->actLogProperties(), main->actPrintPreview(),
                       main->actPrint(), main->actFilter(), main->actUndoLastFilter(), main->actUndoAllFilters(),
                       main->actRefresh(), main->actFind(), main->actFindNext(), main->mmitClose(),
                       main->mmitCloseAll(), main->mmitExport(), main->mmitShowGridLines(),
                       main->mmitShowDescriptions(), main->mmitNewestFirst(), main->mmitOldestFirst(),
                       main->mmitCascade(), main->mmitTileVertically(), main->mmitTileHorizontally(),
                       main->mmitNext(), main->mmitFilter(), main->mmitFindNext()}) {
        SCOPED_TRACE(a->text().toStdString());
        EXPECT_FALSE(a->isEnabled());
    }
    EXPECT_TRUE(main->mmitShowGridLines()->isChecked());
    EXPECT_TRUE(main->mmitShowDescriptions()->isChecked());
}

TEST_F(MainWindowTest, CommandsWithoutAHandlerStayDisabled)
{
    // Opening a log window enables the log commands, which all have a
    // handler.
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    EXPECT_TRUE(main->mmitClose()->isEnabled());
    EXPECT_TRUE(main->mmitCloseAll()->isEnabled());
    EXPECT_TRUE(main->mmitCascade()->isEnabled());
    EXPECT_TRUE(main->mmitNext()->isEnabled());
    EXPECT_TRUE(main->mmitTileVertically()->isEnabled());
    EXPECT_TRUE(main->mmitTileHorizontally()->isEnabled());
    for (QAction* a : {main->actSaveLogAs(), main->actRefresh(), main->mmitExport(), main->actClearLog(),
                       main->actPrintPreview(), main->actPrint()})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    // A command without a handler stays disabled; a handler given later
    // makes it work from then on.
    QAction spare(QStringLiteral("Spare"));
    main->SetCommandEnabled(&spare, true);
    EXPECT_FALSE(main->HasHandler(&spare));
    EXPECT_FALSE(spare.isEnabled());
    int runs = 0;
    main->Bind(&spare, [&runs] { ++runs; });
    main->SetCommandEnabled(&spare, true);
    EXPECT_TRUE(spare.isEnabled());
    spare.trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(MainWindowTest, MenusAndHints)
{
    auto captions = [](const QMenu* menu) {
        QStringList texts;
        for (const QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    };
    EXPECT_EQ(main->mmFile()->title(), "&File");
    EXPECT_EQ(captions(main->mmFile()),
              (QStringList{"Open Log...", "Open Log File...", "-", "Save Log As...", "Clear Log", "-",
                           "Log Properties...", "-", "Close", "Close All", "-", "Export", "-", "Print Preview...",
                           "Print...", "-", "Quit"}));
    EXPECT_EQ(captions(main->mmitExport()->menu<QMenu*>()), (QStringList{"To Text...", "To HTML..."}));
    EXPECT_EQ(main->mmComputer()->title(), "&Computer");
    EXPECT_EQ(captions(main->mmComputer()), (QStringList{"Add...", "Remove"}));
    EXPECT_EQ(main->mmView()->title(), "&View");
    EXPECT_EQ(captions(main->mmView()),
              (QStringList{"Show Grid Lines", "Show Event Descriptions", "-", "Newest First", "Oldest First", "-",
                           "Fi&lter", "Undo Last Filter", "Undo All Filters", "-", "Find...", "Find Next", "-",
                           "Refresh"}));
    EXPECT_EQ(main->mmWindow()->title(), "&Window");
    EXPECT_EQ(captions(main->mmWindow()),
              (QStringList{"&Cascade", "Tile &Vertically", "Tile &Horizontally", "&Next", "-"}));
    EXPECT_EQ(main->mmHelp()->title(), "&Help");
    EXPECT_EQ(captions(main->mmHelp()), (QStringList{"Help", "-", "Feedback", "-", "About"}));
    EXPECT_EQ(captions(main->pmComputers()),
              (QStringList{"Open", "Open in new window", "-", "Add Computer...", "Remove Computer", "-",
                           "Save Log As...", "Clear Log", "-", "Log Properties..."}));
    EXPECT_EQ(main->pmComputers()->defaultAction(), main->pmitOpen());

    struct Hint {
        QAction* action;
        const char* toolTip;
        const char* statusTip;
        QKeySequence shortcut;
    } hints[] = {
        {main->actOpenLog(), "Open Event Log", "Opens event log", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {main->actOpenLogFile(), "Open Event Log File", "Opens event log from a file", {}},
        {main->actSaveLogAs(), "Save Event Log to File", "Saves the active event log to a file",
         QKeySequence(Qt::CTRL | Qt::Key_S)},
        {main->actLogProperties(), "Log Properties", "Displays event log properites dialog", {}},
        {main->actPrintPreview(), "Print Preview", "Shows the active even log as it would be printed", {}},
        {main->actPrint(), "Print", "Prints the active event log", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {main->actAddComputer(), "Add Computer", "Adds a new computer to the computer tree", {}},
        {main->actRemoveComputer(), "Remove Computer", "Removes the selected computer from the computer tree", {}},
        {main->actRefresh(), "Refresh", "Rereads all events in the active event log window", QKeySequence(Qt::Key_F5)},
        {main->actFind(), "Find", "Searches for an event in the active event log that meets a specific criteria",
         QKeySequence(Qt::CTRL | Qt::Key_F)},
        {main->actFindNext(), "Find Next",
         "Searchs for the next event in the active event log that meets the specific criteria",
         QKeySequence(Qt::Key_F3)},
        {main->mmitFindNext(), "Find Next",
         "Searches for the next event in the active event log that meets the specific criteria",
         QKeySequence(Qt::Key_F3)},
        {main->mmitFilter(), "Filter", "Filters events in the active event log window by a certain criteria",
         QKeySequence(Qt::CTRL | Qt::Key_L)},
        {main->mmitExportToHTML(), "Export to text", "Exports event log to an HTML file", {}},
        {main->mmitQuit(), "Quit", "Exits Quellvane", {}},
        {main->mmitAbout(), "About", "Dsiplayes About box", {}},
        {main->mmitHelp(), "Help", "Displays Quellvane Help", QKeySequence(Qt::Key_F1)},
        {main->mmitTileVertically(), "Tile Vertically", "Arranges windows as non-overlaping vertical tiles", {}},
        {main->pmitOpenInNewWindow(), "Open in new window", "opens the selected event log in new window", {}},
        {main->pmitSaveLogAs(), "Save Event Log to File", "Save Event Log to File",
         QKeySequence(Qt::CTRL | Qt::Key_S)},
    };
    for (const Hint& h : hints) {
        SCOPED_TRACE(h.action->text().toStdString());
        EXPECT_EQ(h.action->toolTip(), h.toolTip);
        EXPECT_EQ(h.action->statusTip(), h.statusTip);
        EXPECT_EQ(h.action->shortcut(), h.shortcut);
    }
}

TEST_F(MainWindowTest, ToolBarShowsTwelveGlyphButtons)
{
    const std::vector<QToolButton*>& buttons = main->ToolButtons();
    ASSERT_EQ(buttons.size(), 12u);
    const QAction* expected[] = {main->actAddComputer(),    main->actRemoveComputer(), main->actOpenLog(),
                                 main->actOpenLogFile(),    main->actSaveLogAs(),      main->actFilter(),
                                 main->actUndoLastFilter(), main->actUndoAllFilters(), main->actRefresh(),
                                 main->actFind(),           main->actPrintPreview(),   main->actPrint()};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->defaultAction(), expected[i]);
        EXPECT_EQ(buttons[i]->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_EQ(buttons[i]->size(), QSize(24, 24));
        EXPECT_TRUE(buttons[i]->autoRaise());
        EXPECT_FALSE(buttons[i]->icon().isNull());
    }
}

TEST_F(MainWindowTest, StatusBarShowsTheLongHint)
{
    main->actAddComputer()->showStatusText(main.get());
    EXPECT_EQ(main->StatusPanel()->text(), "Adds a new computer to the computer tree");
    // The one panel reaches the bar's right edge (up to the size grip), so
    // the hint is not cut at the designed 200 pixels; at the designed window
    // size too, and a long hint does not widen the window.
    for (const int width : {0, 780}) {
        if (width > 0)
            main->resize(width, 540);
        QCoreApplication::processEvents();
        const QLabel* panel = main->StatusPanel();
        const int hintWidth = panel->fontMetrics().horizontalAdvance(panel->text());
        EXPECT_GT(hintWidth, 200);
        EXPECT_GE(panel->contentsRect().width(), hintWidth);
        EXPECT_GE(panel->geometry().right(), main->statusBar()->width() - 30);
    }
    QStatusTipEvent wide{QString(500, u'x')};
    QCoreApplication::sendEvent(main.get(), &wide);
    QCoreApplication::processEvents();
    EXPECT_EQ(main->width(), 780);
    main->pmitSaveLogAs()->showStatusText(main->pmComputers());
    EXPECT_EQ(main->StatusPanel()->text(), "Save Event Log to File");
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(main.get(), &none);
    EXPECT_EQ(main->StatusPanel()->text(), "Ready");
}

TEST_F(MainWindowTest, CtrlSIsTheTreesSaveWhileTheTreeHasTheFocus)
{
    int treeSaves = 0;
    int windowSaves = 0;
    main->Bind(main->pmitSaveLogAs(), [&treeSaves] { ++treeSaves; });
    main->Bind(main->actSaveLogAs(), [&windowSaves] { ++windowSaves; });
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    main->SetCommandEnabled(main->actSaveLogAs(), true);
    ASSERT_TRUE(main->actSaveLogAs()->isEnabled());

    // The tree has the focus and a log selected: its popup's Save Log As.
    select(logNode(QStringLiteral("WKS1 (Local)"), QStringLiteral("System")));
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(treeSaves, 1);
    EXPECT_EQ(windowSaves, 0);

    // A computer selected: the popup's item is off, the key is the window's.
    select(computer(QStringLiteral("WKS1 (Local)")));
    QTest::keyClick(tree(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(treeSaves, 1);
    EXPECT_EQ(windowSaves, 1);

    // Elsewhere it is the active log window's Save Log As.
    select(logNode(QStringLiteral("WKS1 (Local)"), QStringLiteral("System")));
    QTableView* list = main->LogWindows().front()->lvLog();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(treeSaves, 1);
    EXPECT_EQ(windowSaves, 2);
}

TEST_F(MainWindowTest, EveryWindowCarriesTheProgramsIcon)
{
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 5);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    const TfrmLogView* log = main->LogWindows().front();
    const TSelectCompForm dialog;
    const QWidget* windows[] = {main.get(), log, log->parentWidget(), &dialog};
    for (const QWidget* window : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowIcon().cacheKey(), icon.cacheKey()) << window->metaObject()->className();
    }
}

// ---------------------------------------------------------------------------
// The computers tree

TEST_F(MainWindowTest, ExpandingAComputerListsItsLogs)
{
    QTreeWidgetItem* local = computer(QStringLiteral("WKS1 (Local)"));
    ASSERT_NE(local, nullptr);
    tree()->expandItem(local);
    EXPECT_TRUE(local->isExpanded());
    EXPECT_EQ(childTexts(local), (QStringList{"Application", "Security", "System"}));
    EXPECT_EQ(local->data(0, TfrmQORVMain::StateIndexRole).toInt(), 0);
    for (int i = 0; i < local->childCount(); ++i) {
        EXPECT_EQ(local->child(i)->data(0, TfrmQORVMain::ImageIndexRole).toInt(), tiLog);
        EXPECT_FALSE(local->child(i)->icon(0).isNull());
    }
    EXPECT_FALSE(main->NTEventLog().Active());
    EXPECT_EQ(main->NTEventLog().MachineName(), ""); // the local computer goes by no name

    // Expanding again lists the logs anew, not twice.
    tree()->collapseItem(local);
    tree()->expandItem(local);
    EXPECT_EQ(local->childCount(), 3);

    ASSERT_TRUE(main->AddComputerNode(QStringLiteral("srv1")));
    tree()->expandItem(computer(QStringLiteral("srv1")));
    EXPECT_EQ(childTexts(computer(QStringLiteral("srv1"))), (QStringList{"Application", "Security", "System"}));
    EXPECT_EQ(main->NTEventLog().MachineName(), "srv1");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(MainWindowTest, AComputerThatWantsCredentialsRefusesAccess)
{
    // The program gives no credentials, so such a computer (SRV-VAULT of
    // the demo network) shows what the README says.
    ASSERT_TRUE(main->AddComputerNode(QStringLiteral("SRV7")));
    QTreeWidgetItem* node = computer(QStringLiteral("SRV7"));
    tree()->expandItem(node);
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(node->data(0, TfrmQORVMain::ImageIndexRole).toInt(), tiFailedComputer);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text.trimmed(), "5: Access is denied.");

    prompts.asked.clear();
    main->OpenLog(QStringLiteral("SRV7"), QStringLiteral("Application"), olmReuse);
    EXPECT_TRUE(main->LogWindows().empty());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Event log Application on SRV7 is not accessible!");
}

TEST_F(MainWindowTest, UnreachableComputerCannotBeExpanded)
{
    ASSERT_TRUE(main->AddComputerNode(QStringLiteral("SRV9")));
    QTreeWidgetItem* node = computer(QStringLiteral("SRV9"));
    tree()->expandItem(node);

    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(node->childCount(), 0);
    EXPECT_EQ(node->data(0, TfrmQORVMain::StateIndexRole).toInt(), 1);
    EXPECT_EQ(node->data(0, TfrmQORVMain::ImageIndexRole).toInt(), tiFailedComputer);
    EXPECT_FALSE(main->NTEventLog().Active());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_OK | MB_ICONERROR);
    // The platform's error: its code, then its text.
    EXPECT_TRUE(prompts.asked[0].text.contains(QRegularExpression(QStringLiteral("^[0-9]+: .+"))))
        << prompts.asked[0].text.toStdString();

    // A computer that is not on the network at all fails the same way.
    ASSERT_TRUE(main->AddComputerNode(QStringLiteral("NOWHERE")));
    tree()->expandItem(computer(QStringLiteral("NOWHERE")));
    EXPECT_EQ(computer(QStringLiteral("NOWHERE"))->data(0, TfrmQORVMain::ImageIndexRole).toInt(), tiFailedComputer);
    EXPECT_EQ(prompts.asked.size(), 2u);
}

TEST_F(MainWindowTest, AddingAComputerTwiceAddsNothing)
{
    EXPECT_TRUE(main->AddComputerNode(QStringLiteral("SRV1")));
    EXPECT_FALSE(main->AddComputerNode(QStringLiteral("srv1")));
    EXPECT_FALSE(main->AddComputerNode(QStringLiteral("wks1"))); // the local node exists
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "SRV1"}));
}

TEST_F(MainWindowTest, AddCommandRunsTheSelectComputerDialog)
{
    // A foreign value under the key shows whether the list was rewritten.
    auto addForeignValue = [] {
        HKEY key = nullptr;
        ASSERT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, kComputersTreeKey, 0, nullptr, 0, 0x4001F, nullptr,
                                            &key, nullptr),
                  ERROR_SUCCESS);
        const char text[] = "x";
        platform::RegSetValueExA(key, "Foreign", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        platform::RegCloseKey(key);
    };
    addForeignValue();

    // The local computer chosen: its node is there already; nothing is written.
    answerSelectComputer([](TSelectCompForm& form) { form.btnOK()->click(); });
    main->actAddComputer()->trigger();
    EXPECT_EQ(computers(), QStringList{"WKS1 (Local)"});
    EXPECT_NE(fileText(network.UserRegistryFile()).find("\"Foreign\""), std::string::npos);

    // The local name typed: no second node either.
    answerSelectComputer([](TSelectCompForm& form) {
        form.rbAnotherComp()->click();
        form.edComputer()->setText(QStringLiteral("Wks1"));
        form.btnOK()->click();
    });
    main->actAddComputer()->trigger();
    EXPECT_EQ(computers(), QStringList{"WKS1 (Local)"});

    // Another computer: added as typed and the list written.
    answerSelectComputer([](TSelectCompForm& form) {
        form.rbAnotherComp()->click();
        form.edComputer()->setText(QStringLiteral("srv1"));
        form.btnOK()->click();
    });
    main->pmitAddComputer()->trigger();
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "srv1"}));
    const std::string file = fileText(network.UserRegistryFile());
    EXPECT_EQ(file.find("\"Foreign\""), std::string::npos);
    EXPECT_NE(file.find("\"Comp0\"=\"WKS1\""), std::string::npos) << file;
    EXPECT_NE(file.find("\"Comp1\"=\"srv1\""), std::string::npos) << file;

    // Cancel adds nothing.
    answerSelectComputer([](TSelectCompForm& form) {
        form.rbAnotherComp()->click();
        form.edComputer()->setText(QStringLiteral("SRV2"));
        form.btnCancel()->click();
    });
    main->actAddComputer()->trigger();
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "srv1"}));
}

TEST_F(MainWindowTest, RemoveAsksAndRenumbersTheList)
{
    for (const char* name : {"SRV1", "SRV2", "SRV3"})
        main->AddComputerNode(QString::fromLatin1(name));
    main->SaveComputerList();

    // The local computer cannot be removed, and is not asked about.
    select(tree()->topLevelItem(0));
    EXPECT_TRUE(main->actRemoveComputer()->isEnabled());
    main->actRemoveComputer()->trigger();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(computers().size(), 4);

    // No keeps the node.
    select(computer(QStringLiteral("SRV2")));
    prompts.answer = IDNO;
    main->actRemoveComputer()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Remove computer \"SRV2\" from the list?");
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(computers().size(), 4);

    // Yes deletes it with its logs and rewrites the list without gaps.
    tree()->expandItem(computer(QStringLiteral("SRV2")));
    prompts.answer = IDYES;
    main->pmitRemoveComputer()->trigger();
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "SRV1", "SRV3"}));
    const std::string file = fileText(network.UserRegistryFile());
    EXPECT_NE(file.find("\"Comp2\"=\"SRV3\""), std::string::npos) << file;
    EXPECT_EQ(file.find("\"Comp3\""), std::string::npos) << file;
    EXPECT_EQ(file.find("SRV2"), std::string::npos) << file;

    // A log node selected: no computer to remove.
    select(logNode(QStringLiteral("SRV1"), QStringLiteral("System")));
    EXPECT_FALSE(main->actRemoveComputer()->isEnabled());
}

TEST_F(MainWindowTest, ComputerListSurvivesARestart)
{
    main->AddComputerNode(QStringLiteral("SRV1"));
    main->AddComputerNode(QStringLiteral("\\\\SRV9"));
    main->AddComputerNode(QStringLiteral("Gamma"));
    StopMainWindow(); // saves the list

    // The next start reads the user's registry file afresh.
    platform::SetCurrentUserRegistryFile(network.UserRegistryFile());
    const std::string file = fileText(network.UserRegistryFile());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Ostrivel\\Quellvane\\ComputersTree]"), std::string::npos)
        << file;
    EXPECT_NE(file.find("\"Comp0\"=\"WKS1\""), std::string::npos) << file;
    StartMainWindow();
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "SRV1", "\\\\SRV9", "Gamma"}));
}

TEST_F(MainWindowTest, StoredListKeepsOnlyCompValues)
{
    HKEY key = nullptr;
    ASSERT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, kComputersTreeKey, 0, nullptr, 0, 0x4001F, nullptr, &key,
                                        nullptr),
              ERROR_SUCCESS);
    auto setText = [key](const char* name, const std::string& text) {
        platform::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    };
    setText("Comp0", "SRV1");
    setText("Other", "SRV5");   // not a "Comp" value
    setText("comp1", "SRV6");   // the prefix is case-sensitive
    setText("Comp7", "");       // empty: skipped
    setText("CompX", "srv1");   // a duplicate of SRV1
    const DWORD number = 5;
    platform::RegSetValueExA(key, "Comp8", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    setText("Comp9", "SRV3");
    platform::RegCloseKey(key);

    main->LoadComputerList();
    EXPECT_EQ(computers(), (QStringList{"WKS1 (Local)", "SRV1", "SRV3"}));

    main->SaveComputerList();
    EXPECT_EQ(ReadComputerList(), (std::vector<std::string>{"WKS1", "SRV1", "SRV3"}));
    const std::string file = fileText(network.UserRegistryFile());
    EXPECT_EQ(file.find("SRV5"), std::string::npos) << file;
    EXPECT_EQ(file.find("SRV6"), std::string::npos) << file;
}

TEST_F(MainWindowTest, PopupFollowsTheSelection)
{
    struct Case {
        const char* what;
        std::function<QTreeWidgetItem*()> node;
        bool open, newWindow, remove;
    } cases[] = {
        {"nothing", [] { return nullptr; }, false, false, false},
        {"computer", [this] { return computer(QStringLiteral("WKS1 (Local)")); }, true, false, true},
        {"log", [this] { return logNode(QStringLiteral("WKS1 (Local)"), QStringLiteral("System")); }, true, true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tree()->clearSelection();
        if (QTreeWidgetItem* node = c.node())
            select(node);
        main->pmComputersPopup();
        EXPECT_EQ(main->pmitOpen()->isEnabled(), c.open);
        EXPECT_EQ(main->pmitOpenInNewWindow()->isEnabled(), c.newWindow);
        EXPECT_EQ(main->pmitRemoveComputer()->isEnabled(), c.remove);
        EXPECT_TRUE(main->pmitAddComputer()->isEnabled());
        // Save, clear and properties are there for a log.
        EXPECT_EQ(main->pmitSaveLogAs()->isEnabled(), c.newWindow);
        EXPECT_EQ(main->pmitClearLog()->isEnabled(), c.newWindow);
        EXPECT_EQ(main->pmitLogProperties()->isEnabled(), c.newWindow);
    }

    // Open on a computer expands it.
    QTreeWidgetItem* local = computer(QStringLiteral("WKS1 (Local)"));
    tree()->collapseItem(local);
    select(local);
    main->pmitOpen()->trigger();
    EXPECT_TRUE(local->isExpanded());
}

// ---------------------------------------------------------------------------
// Opening logs

TEST_F(MainWindowTest, DoubleClickOpensALogWindowAndShowsItAgain)
{
    QTreeWidgetItem* application = logNode(QStringLiteral("WKS1 (Local)"), QStringLiteral("Application"));
    ASSERT_NE(application, nullptr);
    doubleClick(application);

    ASSERT_EQ(main->LogWindows().size(), 1u);
    TfrmLogView* first = main->LogWindows()[0];
    EXPECT_EQ(first->windowTitle(), "Application on WKS1");
    EXPECT_EQ(first->ComputerName(), "WKS1");
    EXPECT_EQ(first->LogName(), "Application");
    EXPECT_FALSE(first->IsFile());
    EXPECT_EQ(first->NTEventLog().MachineName(), "");
    EXPECT_EQ(first->NTEventLog().SourceName(), "Application");
    EXPECT_EQ(first->StatusText(), QStringLiteral("Showing %1 event(s)").arg(MainWindowSite::kLocalEvents));
    EXPECT_EQ(first->Model().rowCount(), MainWindowSite::kLocalEvents);
    EXPECT_EQ(first->cbLogs()->currentText(), "Application");
    EXPECT_EQ(first->cbLogs()->count(), 3);
    EXPECT_EQ(main->MdiArea()->currentSubWindow(), first);
    EXPECT_TRUE(main->mmitNewestFirst()->isChecked());
    EXPECT_FALSE(main->mmitOldestFirst()->isChecked());
    ASSERT_EQ(main->WindowMenuEntries().size(), 1u);
    QAction* entry = main->WindowMenuEntries()[0];
    EXPECT_EQ(entry->text(), "Application on WKS1");
    EXPECT_TRUE(entry->isChecked());
    EXPECT_EQ(main->WindowOfEntry(entry), first);
    EXPECT_EQ(main->mmWindow()->actions().last(), entry);

    // Another window in front, then the same double-click: no new window,
    // the existing one comes forward.
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 2u);
    EXPECT_EQ(main->ActiveLogWindow(), main->LogWindows()[1]);
    doubleClick(application);
    EXPECT_EQ(main->LogWindows().size(), 2u);
    EXPECT_EQ(main->ActiveLogWindow(), first);
    EXPECT_TRUE(entry->isChecked());
    EXPECT_FALSE(main->WindowMenuEntries()[1]->isChecked());

    // "Open in new window" always opens one.
    select(application);
    main->pmComputersPopup();
    main->pmitOpenInNewWindow()->trigger();
    ASSERT_EQ(main->LogWindows().size(), 3u);
    EXPECT_EQ(windowCaptions(),
              (std::vector<QString>{"Application on WKS1", "System on WKS1", "Application on WKS1"}));
    EXPECT_EQ(main->ActiveLogWindow(), main->LogWindows()[2]);
    EXPECT_EQ(main->WindowMenuEntries().size(), 3u);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(MainWindowTest, OpenLogFromTheDialogAsks)
{
    main->OpenLog(QStringLiteral("SRV1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    EXPECT_EQ(main->LogWindows()[0]->windowTitle(), "Application on SRV1");
    EXPECT_EQ(main->LogWindows()[0]->NTEventLog().MachineName(), "SRV1");
    EXPECT_EQ(main->LogWindows()[0]->Model().rowCount(), MainWindowSite::kServerEvents);

    prompts.answer = IDNO;
    main->OpenLog(QStringLiteral("\\\\SRV1"), QStringLiteral("Application"), olmAsk);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Log window for Application on SRV1 already exists!\rCreate a new window?\r"
                                     "To create a new window, click Yes,\rto switch to existing log window, click No");
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(main->LogWindows().size(), 1u);

    prompts.answer = IDYES;
    main->OpenLog(QStringLiteral("SRV1"), QStringLiteral("Application"), olmAsk);
    EXPECT_EQ(main->LogWindows().size(), 2u);

    // A log without a window is opened without a question.
    main->OpenLog(QStringLiteral("SRV1"), QStringLiteral("System"), olmAsk);
    EXPECT_EQ(main->LogWindows().size(), 3u);
    EXPECT_EQ(prompts.asked.size(), 2u);
}

TEST_F(MainWindowTest, ComputerNamesLoseTheirBackslashes)
{
    main->AddComputerNode(QStringLiteral("\\\\SRV1"));
    QTreeWidgetItem* node = computer(QStringLiteral("\\\\SRV1"));
    tree()->expandItem(node);
    EXPECT_EQ(main->NTEventLog().MachineName(), "\\\\SRV1"); // as typed for the expansion
    ASSERT_EQ(node->childCount(), 3);
    doubleClick(logNode(QStringLiteral("\\\\SRV1"), QStringLiteral("System")));
    ASSERT_EQ(main->LogWindows().size(), 1u);
    EXPECT_EQ(main->LogWindows()[0]->ComputerName(), "SRV1");
    EXPECT_EQ(main->LogWindows()[0]->windowTitle(), "System on SRV1");

    // The window is found again under the bare name.
    main->OpenLog(QStringLiteral("SRV1"), QStringLiteral("System"), olmReuse);
    EXPECT_EQ(main->LogWindows().size(), 1u);

    // Clearing the log from that node reloads the window: it showed the
    // events of a log that no longer holds them.
    EXPECT_EQ(main->LogWindows()[0]->StatusText(), "Showing 4 event(s)");
    select(logNode(QStringLiteral("\\\\SRV1"), QStringLiteral("System")));
    main->pmComputersPopup();
    prompts.answer = IDNO; // no backup first
    main->pmitClearLog()->trigger();
    EXPECT_EQ(main->LogWindows()[0]->StatusText(), "Showing 0 event(s)");
}

TEST_F(MainWindowTest, LogThatCannotBeOpenedMakesNoWindow)
{
    struct Case {
        const char* computer;
        const char* log;
        const char* message;
    } cases[] = {
        {"WKS1", "NoSuchLog", "Event log NoSuchLog on WKS1 is not accessible!"},
        {"\\\\SRV9", "Application", "Event log Application on SRV9 is not accessible!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.computer);
        prompts.asked.clear();
        main->OpenLog(QString::fromLatin1(c.computer), QString::fromLatin1(c.log), olmNewWindow);
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].text, c.message);
        EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
        EXPECT_EQ(prompts.asked[0].flags, MB_OK | MB_ICONERROR);
        EXPECT_TRUE(main->LogWindows().empty());
        EXPECT_TRUE(main->WindowMenuEntries().empty());
        EXPECT_FALSE(main->mmitCloseAll()->isEnabled());
    }
}

TEST_F(MainWindowTest, LogNotListedOpensTheFirstLog)
{
    TfrmLogView* window = main->CreateLogWindow(QStringLiteral("WKS1"), QStringLiteral("Unlisted"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->LogName(), "Application");
    EXPECT_EQ(window->windowTitle(), "Application on WKS1");
    EXPECT_EQ(window->NTEventLog().SourceName(), "Application");
    EXPECT_EQ(window->StatusText(), QStringLiteral("Showing %1 event(s)").arg(MainWindowSite::kLocalEvents));

    // An empty computer stands for the local one in the caption.
    TfrmLogView* local = main->CreateLogWindow(QString(), QStringLiteral("System"));
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->windowTitle(), "System on WKS1");
}

TEST_F(MainWindowTest, FileWindowShowsTheFileName)
{
    const std::string path = network.site.DrivePath("WKS1", "WINDOWS\\system32\\config\\AppEvent.Evt");
    TfrmLogView* window = main->CreateLogWindow(QStringLiteral("$FILE"), QString::fromStdString(path));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsFile());
    EXPECT_EQ(window->ComputerName(), "$FILE");
    EXPECT_EQ(window->LogName(), QString::fromStdString(path));
    EXPECT_EQ(window->windowTitle(), "File: AppEvent.Evt");
    EXPECT_EQ(window->NTEventLog().BackupFileName(), path);
    EXPECT_FALSE(window->cbLogs()->isEnabled());
    EXPECT_EQ(window->StatusText(), QStringLiteral("Showing %1 event(s)").arg(MainWindowSite::kLocalEvents));
    EXPECT_EQ(main->WindowMenuEntries()[0]->text(), "File: AppEvent.Evt");
}

TEST_F(MainWindowTest, WindowThatCannotListLogsIsNotKept)
{
    TfrmLogView* window = main->CreateLogWindow(QStringLiteral("SRV9"), QStringLiteral("Application"));
    EXPECT_EQ(window, nullptr);
    flushDeletes();
    EXPECT_TRUE(main->LogWindows().empty());
    EXPECT_TRUE(main->MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(main->WindowMenuEntries().empty());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].flags, MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// The Window menu and the active window

TEST_F(MainWindowTest, WindowMenuFollowsTheActiveWindow)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    const std::vector<TfrmLogView*> windows = main->LogWindows();
    const std::vector<QAction*> entries = main->WindowMenuEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[0]->isChecked());
    EXPECT_TRUE(entries[1]->isChecked());

    entries[0]->trigger();
    EXPECT_EQ(main->ActiveLogWindow(), windows[0]);
    EXPECT_TRUE(entries[0]->isChecked());
    EXPECT_FALSE(entries[1]->isChecked());

    // The check marks of the View menu follow the active window.
    windows[1]->lvLog()->setShowGrid(false);
    windows[1]->ShowDescription(false);
    main->MdiArea()->setActiveSubWindow(windows[1]);
    EXPECT_FALSE(main->mmitShowGridLines()->isChecked());
    EXPECT_FALSE(main->mmitShowDescriptions()->isChecked());
    EXPECT_TRUE(entries[1]->isChecked());
    main->MdiArea()->setActiveSubWindow(windows[0]);
    EXPECT_TRUE(main->mmitShowGridLines()->isChecked());
    EXPECT_TRUE(main->mmitShowDescriptions()->isChecked());

    // Clicking the entry of the active window leaves its check mark.
    entries[0]->trigger();
    EXPECT_TRUE(entries[0]->isChecked());

    // Next goes round the windows.
    main->mmitNext()->trigger();
    EXPECT_EQ(main->ActiveLogWindow(), windows[1]);

    // A caption that changes reaches the menu entry.
    windows[1]->ChangeLog(QStringLiteral("Application"));
    EXPECT_EQ(entries[1]->text(), "Application on WKS1");
}

TEST_F(MainWindowTest, TileAndCascadeArrangeTheWindows)
{
    main->resize(1000, 700);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    const std::vector<TfrmLogView*> w = main->LogWindows();
    const QRect area = main->MdiArea()->viewport()->rect();

    main->mmitTileVertically()->trigger();
    EXPECT_EQ(w[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(w[1]->geometry().left(), area.width() / 2);
    EXPECT_EQ(w[1]->geometry().height(), area.height());

    main->mmitTileHorizontally()->trigger();
    EXPECT_EQ(w[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(w[1]->geometry().top(), area.height() / 2);

    main->mmitCascade()->trigger();
    EXPECT_NE(w[0]->geometry().topLeft(), w[1]->geometry().topLeft());
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(MainWindowTest, ClosingTheLastWindowDisablesTheLogCommands)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    QPointer<TfrmLogView> second = main->LogWindows()[1];

    // Close asks the window's own question.
    prompts.answer = IDYES;
    main->mmitClose()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you really want to close this event log view window?");
    flushDeletes();
    EXPECT_TRUE(second.isNull());
    ASSERT_EQ(main->LogWindows().size(), 1u);
    ASSERT_EQ(main->WindowMenuEntries().size(), 1u);
    EXPECT_EQ(main->WindowMenuEntries()[0]->text(), "Application on WKS1");
    EXPECT_TRUE(main->mmitCloseAll()->isEnabled());

    main->mmitClose()->trigger();
    flushDeletes();
    EXPECT_TRUE(main->LogWindows().empty());
    EXPECT_TRUE(main->WindowMenuEntries().empty());
    for (QAction* a : {main->mmitClose(), main->mmitCloseAll(), main->mmitCascade(), main->mmitNext(),
                       main->mmitTileVertically(), main->mmitTileHorizontally()})
        EXPECT_FALSE(a->isEnabled());
}

TEST_F(MainWindowTest, CloseAllAsksAndKeepsTheCheckBox)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    main->OpenLog(QStringLiteral("SRV1"), QStringLiteral("Application"), olmReuse);

    prompts.answer = IDNO;
    main->mmitCloseAll()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you really want to close all event log windows?");
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_TRUE(prompts.asked[0].withCheck);
    EXPECT_EQ(prompts.asked[0].checkText, "Don't ask me again");
    EXPECT_EQ(main->LogWindows().size(), 2u);
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmCloseAll, -1), -1);

    prompts.answer = IDYES;
    prompts.tick = true;
    main->mmitCloseAll()->trigger();
    flushDeletes();
    EXPECT_TRUE(main->LogWindows().empty());
    EXPECT_TRUE(main->MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(prompts.asked.size(), 2u); // the windows asked nothing
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmCloseAll, -1), 1);
    EXPECT_FALSE(main->mmitCloseAll()->isEnabled());

    // Switched off: no question.
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    main->mmitCloseAll()->trigger();
    flushDeletes();
    EXPECT_TRUE(main->LogWindows().empty());
    EXPECT_EQ(prompts.asked.size(), 2u);
}

TEST_F(MainWindowTest, QuitAsksAndClosesEveryLogWindow)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    QPointer<TfrmLogView> window = main->LogWindows()[0];

    prompts.answer = IDNO;
    main->mmitQuit()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you really want to quit?");
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(prompts.asked[0].checkText, "Don't ask me again");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->LogWindows().size(), 1u);
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmQuit, -1), -1);

    prompts.answer = IDYES;
    prompts.tick = true;
    main->mmitQuit()->trigger();
    flushDeletes();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(prompts.asked.size(), 2u); // the log window asked nothing
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmQuit, -1), 1);
}

TEST_F(MainWindowTest, QuitSwitchedOffAsksNothing)
{
    RegWriteFlag(kConfirmationsKey, kConfirmQuit, 1);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    QPointer<TfrmLogView> window = main->LogWindows()[0];
    EXPECT_TRUE(main->close());
    flushDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(RegReadFlag(kConfirmationsKey, kConfirmQuit, -1), 1); // the setting stays
}

// ---------------------------------------------------------------------------
// Failures of event handlers

class Throwing : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("the handler failed");
        return QObject::event(e);
    }
};

TEST_F(MainWindowTest, ExceptionFromAnEventHandlerIsShown)
{
    Throwing target;
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&target, &event));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "the handler failed");
    EXPECT_EQ(prompts.asked[0].caption, "Quellvane");
    EXPECT_EQ(prompts.asked[0].flags, MB_OK | MB_ICONERROR);

    // A command's failure shows the same way.
    main->Bind(main->actRefresh(), [] { throw std::runtime_error("the command failed"); });
    main->actRefresh()->setEnabled(true);
    main->actRefresh()->trigger();
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[1].text, "the command failed");
    EXPECT_EQ(prompts.asked[1].caption, "Quellvane");
}

// ---------------------------------------------------------------------------
// View commands of the active log window

// A menu that tells how the style draws an item's mark.
class MenuMarks : public QMenu {
public:
    QStyleOptionMenuItem::CheckType MarkOf(QAction* action)
    {
        addAction(action);
        QStyleOptionMenuItem option;
        initStyleOption(&option, action);
        removeAction(action);
        return option.checkType;
    }
};

TEST_F(MainWindowTest, NewestAndOldestFirstAreARadioPairThatMayHaveNoneTicked)
{
    // Drawn with radio marks, the two check items with check marks.
    MenuMarks marks;
    EXPECT_EQ(marks.MarkOf(main->mmitNewestFirst()), QStyleOptionMenuItem::Exclusive);
    EXPECT_EQ(marks.MarkOf(main->mmitOldestFirst()), QStyleOptionMenuItem::Exclusive);
    EXPECT_EQ(marks.MarkOf(main->mmitShowGridLines()), QStyleOptionMenuItem::NonExclusive);
    EXPECT_EQ(marks.MarkOf(main->mmitShowDescriptions()), QStyleOptionMenuItem::NonExclusive);
    ASSERT_NE(main->mmitNewestFirst()->actionGroup(), nullptr);
    EXPECT_EQ(main->mmitNewestFirst()->actionGroup(), main->mmitOldestFirst()->actionGroup());
    EXPECT_EQ(main->mmitNewestFirst()->actionGroup()->exclusionPolicy(),
              QActionGroup::ExclusionPolicy::ExclusiveOptional);

    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    TfrmLogView* window = main->LogWindows()[0];
    auto ticks = [this] {
        return std::pair(main->mmitNewestFirst()->isChecked(), main->mmitOldestFirst()->isChecked());
    };
    EXPECT_EQ(ticks(), std::pair(true, false));
    // Choosing the ticked item again keeps it ticked; the other one moves
    // the tick; a column sort takes it from both, and either item gives it
    // back.
    main->mmitNewestFirst()->trigger();
    EXPECT_EQ(ticks(), std::pair(true, false));
    main->mmitOldestFirst()->trigger();
    EXPECT_EQ(ticks(), std::pair(false, true));
    main->mmitOldestFirst()->trigger();
    EXPECT_EQ(ticks(), std::pair(false, true));
    window->SortByColumn(lcSource);
    EXPECT_EQ(ticks(), std::pair(false, false));
    main->mmitNewestFirst()->trigger();
    EXPECT_EQ(ticks(), std::pair(true, false));
    window->SortByColumn(lcType);
    EXPECT_EQ(ticks(), std::pair(false, false));
    main->mmitOldestFirst()->trigger();
    EXPECT_EQ(ticks(), std::pair(false, true));
}

// The ink of a ticked menu item's mark: the pixels left of its text that
// differ from the row's background, as a grid the mark's size.
struct MenuMark {
    std::vector<std::vector<bool>> ink;

    static MenuMark Of(QMenu& menu, const QImage& shot, QAction* action)
    {
        const qreal scale = shot.devicePixelRatio();
        const QRect row = menu.actionGeometry(action);
        // Inside the menu's frame, which may run along the row's edges.
        const QRect area(row.left() + 2, row.top() + 1, row.height() + 2, row.height() - 2);
        const QColor background = shot.pixelColor(int((row.right() - 2) * scale), int(row.center().y() * scale));
        MenuMark mark;
        int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (std::abs(qGray(shot.pixel(int(x * scale), int(y * scale))) - qGray(background.rgb())) > 60) {
                    top = std::min(top, y), bottom = std::max(bottom, y);
                    left = std::min(left, x), right = std::max(right, x);
                }
        for (int y = top; y <= bottom; ++y) {
            mark.ink.emplace_back();
            for (int x = left; x <= right; ++x)
                mark.ink.back().push_back(
                    std::abs(qGray(shot.pixel(int(x * scale), int(y * scale))) - qGray(background.rgb())) > 60);
        }
        return mark;
    }

    bool Empty() const { return ink.empty(); }

    // The share of inked pixels whose mirror image across the upright
    // middle line is blank: none for a round mark, many for a tick.
    double Lopsidedness() const
    {
        int inked = 0, unmatched = 0;
        for (const auto& line : ink)
            for (std::size_t x = 0; x < line.size(); ++x)
                if (line[x]) {
                    ++inked;
                    unmatched += line[line.size() - 1 - x] ? 0 : 1;
                }
        return inked == 0 ? 0.0 : double(unmatched) / inked;
    }
};

// Newest First and Oldest First show the radio pair's round mark, the check
// items their tick, in the themed and in the plain look.
TEST(MainWindowMenus, RadioItemsShowARoundMarkAndCheckItemsATickInBothLooks)
{
    for (const bool themed : {true, false}) {
        SCOPED_TRACE(themed ? "themed" : "plain");
        MainWindowSite network;
        platform::ScopedProfile profile(themed ? platform::PlatformProfile::nt51() : platform::PlatformProfile::nt5());
        QCoreApplication::processEvents();  // the platform sets the look on the next turn
        ASSERT_EQ(QApplication::style()->name().toStdString(), themed ? "fusion" : "windows");
        ScopedSystemFunctions bound;
        FakePrompts prompts;
        ScopedUserPrompts usePrompts{prompts};
        auto main = std::make_unique<TfrmQORVMain>();
        main->show();
        main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
        ASSERT_TRUE(main->mmitNewestFirst()->isChecked());
        ASSERT_TRUE(main->mmitShowGridLines()->isChecked());

        QMenu* view = main->mmitNewestFirst()->associatedObjects().isEmpty()
                          ? nullptr
                          : qobject_cast<QMenu*>(main->mmitNewestFirst()->associatedObjects().first());
        ASSERT_NE(view, nullptr);
        view->popup(main->geometry().center());
        QCoreApplication::processEvents();
        const QImage shot = view->grab().toImage();
        const MenuMark radio = MenuMark::Of(*view, shot, main->mmitNewestFirst());
        const MenuMark check = MenuMark::Of(*view, shot, main->mmitShowGridLines());
        view->hide();
        ASSERT_FALSE(radio.Empty());
        ASSERT_FALSE(check.Empty());
        EXPECT_LT(radio.Lopsidedness(), 0.1) << "Newest First's mark is round";
        EXPECT_GT(check.Lopsidedness(), 0.2) << "Show Grid Lines' mark is a tick";
        main.reset();
        flushDeletes();
    }
}

TEST_F(MainWindowTest, ViewCommandsReachTheActiveLogWindow)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    TfrmLogView* window = main->LogWindows()[0];
    for (QAction* a : {main->actFilter(), main->actFind(), main->mmitFilter(), main->mmitNewestFirst(),
                       main->mmitOldestFirst()})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(main->actFindNext()->isEnabled());
    EXPECT_FALSE(main->actUndoLastFilter()->isEnabled());

    auto topRecord = [window] { return window->Model().EventAt(0)->RecordNumber; };
    auto bottomRecord = [window] { return window->Model().EventAt(window->Model().rowCount() - 1)->RecordNumber; };
    const DWORD newest = topRecord();
    main->mmitOldestFirst()->trigger();
    EXPECT_LT(topRecord(), newest);
    EXPECT_EQ(bottomRecord(), newest);
    EXPECT_TRUE(main->mmitOldestFirst()->isChecked());
    EXPECT_FALSE(main->mmitNewestFirst()->isChecked());
    main->mmitNewestFirst()->trigger();
    EXPECT_EQ(topRecord(), newest);
    EXPECT_TRUE(main->mmitNewestFirst()->isChecked());
    EXPECT_FALSE(main->mmitOldestFirst()->isChecked());
    window->SortByColumn(lcSource);
    EXPECT_FALSE(main->mmitNewestFirst()->isChecked());
    EXPECT_FALSE(main->mmitOldestFirst()->isChecked());

    // Filter through the main window's command, then its undo.
    QTimer::singleShot(0, [] {
        auto* form = qobject_cast<TfrmFilterDesign*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->edEvents()->setText(QStringLiteral("0-"));
        form->cbxInformation()->setChecked(false);
        form->btnOK()->click();
    });
    main->actFilter()->trigger();
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Filtered: showing"))) << window->StatusText().toStdString();
    EXPECT_TRUE(main->actUndoLastFilter()->isEnabled());
    main->actUndoAllFilters()->trigger();
    EXPECT_EQ(window->StatusText(), QStringLiteral("Showing %1 event(s)").arg(MainWindowSite::kLocalEvents));
    EXPECT_FALSE(main->actUndoAllFilters()->isEnabled());
}

// A load of a window that is not the active one (Clear Log reloads every
// window of the log) leaves the commands and checks of the active window.
TEST_F(MainWindowTest, ReloadingAnotherWindowKeepsTheActiveWindowsCommands)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 2u);
    TfrmLogView* system = main->LogWindows()[0];
    TfrmLogView* application = main->LogWindows()[1];
    ASSERT_EQ(main->ActiveLogWindow(), application);

    main->mmitOldestFirst()->trigger();
    application->lvLog()->selectRow(0);
    application->pmLogPopup(application->lvLog()->visualRect(application->Model().index(0, lcSource)).center());
    application->pmitFilterByClick();
    ASSERT_TRUE(main->actUndoLastFilter()->isEnabled());

    main->ClearLog(QStringLiteral("WKS1 (Local)"), QStringLiteral("System"));
    EXPECT_EQ(system->StatusText(), QStringLiteral("Showing 0 event(s)"));
    EXPECT_EQ(main->ActiveLogWindow(), application);
    EXPECT_TRUE(main->actUndoLastFilter()->isEnabled());
    EXPECT_TRUE(main->actUndoAllFilters()->isEnabled());
    EXPECT_TRUE(main->mmitOldestFirst()->isChecked());
    EXPECT_FALSE(main->mmitNewestFirst()->isChecked());
}

// A log window opened just after a dialog of the command (the open dialog of
// Open Log File) closed is the active one once the main window has the
// focus again, not the window that had the focus before the dialog: the new
// window's list has the main window's focus.
TEST_F(MainWindowTest, ANewLogWindowIsActiveWhenTheMainWindowComesBack)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    main->LogWindows()[0]->lvLog()->setFocus();

    {
        QDialog dialog(main.get());
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        dialog.exec();
    }
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmReuse);
    ASSERT_EQ(main->LogWindows().size(), 2u);
    EXPECT_EQ(main->focusWidget(), main->LogWindows()[1]->lvLog());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QCoreApplication::processEvents();
    EXPECT_EQ(main->ActiveLogWindow(), main->LogWindows()[1]);
    EXPECT_TRUE(main->WindowMenuEntries()[1]->isChecked());
}

} // namespace
