// Help by help context on the program's own help file (copied beside the
// test), the help key in every window, Feedback, and the about box.

#include "AppFakes.h"
#include "MainWindowSite.h"
#include "PaintedImages.h"
#include "WhenShown.h"

#include "app/Application.h"
#include "app/HelpContext.h"
#include "app/about.h"
#include "app/browsent.h"
#include "app/compopen.h"
#include "app/filt_frm.h"
#include "app/logprop.h"
#include "app/logview.h"
#include "app/main.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/ChmFile.h"
#include "platform/ErrorCodes.h"
#include "platform/FileVersion.h"
#include "platform/HelpWindow.h"
#include "platform/HtmlHelp.h"
#include "platform/PlatformProfile.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>

namespace {

class HelpTest : public ::testing::Test {
protected:
    MainWindowSite network;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;
    std::vector<int> contexts;

    void SetUp() override
    {
        main = std::make_unique<TfrmQORVMain>();
        // The contexts asked for, on their way to the main window's handler.
        TApplication::Instance()->SetOnHelp([this](int command, int context) {
            contexts.push_back(context);
            return main->ApplicationHelp(command, context);
        });
        main->show();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static std::string shownTopic() { return platform::CurrentHelpViewer().topic; }
};

TEST_F(HelpTest, EveryHelpContextOpensATopicOfTheHelpFile)
{
    EXPECT_EQ(main->HelpFile(), QDir(QCoreApplication::applicationDirPath()).filePath("qorv.chm"));
    const struct {
        int context;
        const char* topic;
    } cases[] = {
        {TfrmQORVMain::kHelpContext, "/index.html"},
        {TfrmLogView::kHelpContext, "/interface.html#EventLogWindow"},
        {TAboutForm::kHelpContext, "/interface.html"},
        {TSelectCompForm::kHelpContext, "/selcomp.html"},
        {TNTBrowseNetForm::kHelpContext, "/interface.html"},
        {TfrmFilterDesign::kHelpContext, "/filter.html"},
        {TfrmCompBrowse::kHelpContext, "/interface.html"},
        {TfrmLogProperties::kHelpContext, "/interface.html"},
        {0, "/index.html"},
        {1234, "/index.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.context);
        EXPECT_TRUE(main->ApplicationHelp(TApplication::kHelpContextCommand, c.context));
        const platform::HelpViewerState state = platform::CurrentHelpViewer();
        EXPECT_TRUE(state.open);
        EXPECT_EQ(state.file, main->HelpFile().toStdString());
        EXPECT_EQ(state.topic, c.topic);
        EXPECT_TRUE(state.topicFound);
        EXPECT_FALSE(state.title.empty());
    }
    // The log window's anchor is one of its page.
    main->ApplicationHelp(TApplication::kHelpContextCommand, TfrmLogView::kHelpContext);
    EXPECT_TRUE(platform::HelpViewerWindow()->Browser()->document()->toHtml().contains("EventLogWindow"));
    EXPECT_TRUE(prompts.asked.empty());
}

// A page of the help file: where its links lead ("/page.html#anchor",
// resolved against the page) and the anchors it holds.
struct HelpPage {
    std::vector<std::string> links;
    std::set<std::string> anchors;
};

HelpPage readHelpPage(const platform::ChmFile& file, const std::string& page)
{
    HelpPage read;
    std::vector<BYTE> bytes;
    if (file.Read(page, bytes) != ERROR_SUCCESS) {
        ADD_FAILURE() << "the help file has no page " << page;
        return read;
    }
    const std::string html(bytes.begin(), bytes.end());
    static const std::regex link(R"re(<a href="([^"]+)")re");
    static const std::regex anchor(R"re(<a name="([^"]+)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
        const std::string target = (*it)[1];
        read.links.push_back(target.front() == '#' ? page + target : "/" + target);
    }
    for (auto it = std::sregex_iterator(html.begin(), html.end(), anchor); it != std::sregex_iterator(); ++it)
        read.anchors.insert((*it)[1]);
    return read;
}

// Every command of the menus, and every dialog and window that the menus
// open, has a section of its own in the help; each is reached from the
// topic of every window's help context by following at most two links
// (its page's contents, then the full contents).  No link leads nowhere.
TEST_F(HelpTest, EveryCommandHasASectionReachedFromTheTopicOfEveryWindow)
{
    platform::ChmFile file;
    ASSERT_EQ(file.Open(main->HelpFile().toStdString()), ERROR_SUCCESS);
    std::map<std::string, HelpPage> pages;
    auto page = [&](const std::string& name) -> const HelpPage& {
        auto known = pages.find(name);
        if (known == pages.end())
            known = pages.emplace(name, readHelpPage(file, name)).first;
        return known->second;
    };

    const std::map<QString, std::string> commandSections = {
        {"Open Log...", "/commands.html#OpenLog"},
        {"Open Log File...", "/commands.html#OpenLogFile"},
        {"Save Log As...", "/commands.html#SaveLogAs"},
        {"Clear Log", "/commands.html#ClearLog"},
        {"Log Properties...", "/commands.html#LogProperties"},
        {"Close", "/commands.html#Close"},
        {"Close All", "/commands.html#CloseAll"},
        {"Export", "/commands.html#Export"},
        {"To Text...", "/commands.html#Export"},
        {"To HTML...", "/commands.html#Export"},
        {"Print Preview...", "/commands.html#PrintPreview"},
        {"Print...", "/commands.html#Print"},
        {"Quit", "/commands.html#Quit"},
        {"Add...", "/commands.html#AddComputer"},
        {"Remove", "/commands.html#RemoveComputer"},
        {"Show Grid Lines", "/commands.html#ShowGridLines"},
        {"Show Event Descriptions", "/commands.html#ShowEventDescriptions"},
        {"Newest First", "/commands.html#NewestFirst"},
        {"Oldest First", "/commands.html#OldestFirst"},
        {"Filter", "/commands.html#Filter"},
        {"Undo Last Filter", "/commands.html#UndoLastFilter"},
        {"Undo All Filters", "/commands.html#UndoAllFilters"},
        {"Find...", "/commands.html#Find"},
        {"Find Next", "/commands.html#FindNext"},
        {"Refresh", "/commands.html#Refresh"},
        {"Cascade", "/commands.html#Cascade"},
        {"Tile Vertically", "/commands.html#TileVertically"},
        {"Tile Horizontally", "/commands.html#TileHorizontally"},
        {"Next", "/commands.html#Next"},
        {"Help", "/commands.html#Help"},
        {"Feedback", "/commands.html#Feedback"},
        {"About", "/commands.html#About"},
    };
    std::set<std::string> sections = {
        "/commands.html#WindowList",        "/filter.html#FilterDialog", "/filter.html#Filtering",
        "/filter.html#Finding",             "/interface.html#Stop",      "/interface.html#QuickFilter",
        "/interface.html#OpenLog",          "/interface.html#LogProperties", "/selcomp.html",
        "/interface.html#BrowseNetwork",    "/print.html#WhatIsPrinted", "/print.html#Preview",
        "/print.html#PrintDialog",
    };
    // Every item of the menus, as the main window holds them.
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            const QString caption = item->text().remove(u'&');
            const auto section = commandSections.find(caption);
            if (section == commandSections.end())
                ADD_FAILURE() << "no help section for the menu command " << caption.toStdString();
            else
                sections.insert(section->second);
            if (item->menu())
                walk(item->menu());
        }
    };
    for (QAction* menu : main->menuBar()->actions())
        walk(menu->menu());

    // Each link leads to a page of the file, and to an anchor of it.
    std::set<std::string> seen;
    std::vector<std::string> next = {"/index.html"};
    while (!next.empty()) {
        const std::string at = next.back();
        next.pop_back();
        for (const std::string& link : page(at).links) {
            const std::string target = link.substr(0, link.find('#'));
            if (!seen.insert(target).second)
                continue;
            next.push_back(target);
            EXPECT_TRUE(file.Contains(target)) << at << " links to " << link;
        }
        for (const std::string& link : page(at).links)
            if (const std::size_t hash = link.find('#'); hash != std::string::npos)
                EXPECT_EQ(page(link.substr(0, hash)).anchors.count(link.substr(hash + 1)), 1u)
                    << at << " links to " << link;
    }

    for (const int context : {TfrmQORVMain::kHelpContext, TfrmLogView::kHelpContext, TAboutForm::kHelpContext,
                              TSelectCompForm::kHelpContext, TNTBrowseNetForm::kHelpContext,
                              TfrmFilterDesign::kHelpContext, TfrmCompBrowse::kHelpContext,
                              TfrmLogProperties::kHelpContext, 0}) {
        SCOPED_TRACE(context);
        std::string topic = HelpTopic(context).toStdString().substr(2); // after "::"
        topic = topic.substr(0, topic.find('#'));
        std::set<std::string> reached;
        for (const std::string& link : page(topic).links) {
            reached.insert(link);
            for (const std::string& further : page(link.substr(0, link.find('#'))).links)
                reached.insert(further);
        }
        for (const std::string& section : sections)
            EXPECT_EQ(reached.count(section), 1u) << section << " is not reached from " << topic;
    }

    // The file's table of contents lists them too.
    std::vector<BYTE> bytes;
    ASSERT_EQ(file.Read("/qorv.hhc", bytes), ERROR_SUCCESS);
    const std::string contents(bytes.begin(), bytes.end());
    for (const std::string& section : sections)
        EXPECT_NE(contents.find("value=\"" + section.substr(1) + "\""), std::string::npos) << section;
}

TEST_F(HelpTest, TheHelpKeyGivesTheContextOfTheWindowItIsPressedIn)
{
    QTest::keyClick(main->tvComputers(), Qt::Key_F1);
    EXPECT_EQ(contexts, std::vector<int>{TfrmQORVMain::kHelpContext});
    EXPECT_EQ(shownTopic(), "/index.html");

    // In a log window, its own context, not the main window's.
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    QTest::keyClick(main->LogWindows()[0]->lvLog(), Qt::Key_F1);
    EXPECT_EQ(contexts.back(), TfrmLogView::kHelpContext);
    EXPECT_EQ(shownTopic(), "/interface.html#EventLogWindow");

    // In a modal dialog, the dialog's; the help window can be used while
    // the dialog waits.
    WhenShown<TfrmCompBrowse>([this](TfrmCompBrowse& dialog) {
        QTest::keyClick(dialog.lvBrowser(), Qt::Key_F1);
        EXPECT_EQ(contexts.back(), TfrmCompBrowse::kHelpContext);
        platform::HelpWindow* help = platform::HelpViewerWindow();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        help->Browser()->setFocus();
        QTest::keyClick(help->Browser(), Qt::Key_Tab);
        QTest::keyClick(help->Browser(), Qt::Key_Return);
        EXPECT_EQ(shownTopic(), "/index.html");
        dialog.btnCancel()->click();
    });
    main->actOpenLog()->trigger();

    WhenShown<TfrmLogProperties>([this](TfrmLogProperties& dialog) {
        QTest::keyClick(dialog.btnOK(), Qt::Key_F1);
        EXPECT_EQ(contexts.back(), TfrmLogProperties::kHelpContext);
        dialog.btnCancel()->click();
    });
    main->actLogProperties()->trigger();

    WhenShown<TAboutForm>([this](TAboutForm& dialog) {
        QTest::keyClick(dialog.btnOk(), Qt::Key_F1);
        EXPECT_EQ(contexts.back(), TAboutForm::kHelpContext);
        dialog.btnOk()->click();
    });
    main->mmitAbout()->trigger();

    // A window without a context of its own gets the index.
    QWidget plain;
    plain.show();
    QTest::keyClick(&plain, Qt::Key_F1);
    EXPECT_EQ(contexts.back(), 0);
    EXPECT_EQ(shownTopic(), "/index.html");
    main->CloseAllLogWindows();
}

TEST_F(HelpTest, HelpAskedInAModalDialogComesInFrontOfIt)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    ASSERT_EQ(main->LogWindows().size(), 1u);
    // The filter dialog stays on top of every window; the log properties
    // dialog does not.  The help window is made anew, or was shown before
    // the dialog opened.
    const struct {
        QAction* command;
        bool dialogOnTop;
        bool helpShownBefore;
    } cases[] = {
        {main->actFilter(), true, false},
        {main->actFilter(), true, true},
        {main->actLogProperties(), false, false},
        {main->actLogProperties(), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command->text().toStdString() + (c.helpShownBefore ? ", help shown before" : ""));
        HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
        if (c.helpShownBefore)
            main->mmitHelp()->trigger();
        bool asked = false;
        WhenShown<QDialog>([&](QDialog& dialog) {
            ASSERT_EQ(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.dialogOnTop);
            QTest::keyClick(&dialog, Qt::Key_F1);
            platform::HelpWindow* help = platform::HelpViewerWindow();
            ASSERT_NE(help, nullptr);
            asked = true;
            EXPECT_TRUE(help->isVisible());
            EXPECT_TRUE(QTest::qWaitForWindowActive(help));
            // It goes with the dialog, above it, on top as long as the dialog is.
            EXPECT_EQ(help->windowHandle()->transientParent(), dialog.windowHandle());
            EXPECT_EQ(help->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), c.dialogOnTop);
            dialog.reject();
        });
        c.command->trigger();
        EXPECT_TRUE(asked);
        // The dialog closed: the help window is again a window of its own.
        QCoreApplication::processEvents();
        platform::HelpWindow* help = platform::HelpViewerWindow();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->windowHandle()->transientParent(), nullptr);
        EXPECT_FALSE(help->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_FALSE(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
    main->CloseAllLogWindows();
}

TEST_F(HelpTest, HelpMenuAndFeedback)
{
    main->mmitHelp()->trigger();
    EXPECT_EQ(shownTopic(), "/index.html");

    EXPECT_EQ(main->mmitFeedback()->statusTip(), TfrmQORVMain::kFeedbackAddress);
    QTextBrowser mail; // its setSource slot receives the link
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &mail, "setSource");
    main->mmitFeedback()->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    EXPECT_EQ(mail.source(), QUrl(QString::fromLatin1(TfrmQORVMain::kFeedbackAddress)));
}

TEST_F(HelpTest, MissingOrDamagedHelpFileIsReportedByName)
{
    const std::string garbage = network.site.Directory() + "/qorv.chm";
    std::ofstream(garbage, std::ios::binary) << std::string(3000, 'Q');
    // The program's own file cut short, its directory whole.
    const std::string cut = network.site.Directory() + "/cut.chm";
    std::filesystem::copy_file(main->HelpFile().toStdString(), cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 1000);
    const struct {
        std::string file;
        const char* reason;
    } cases[] = {
        {network.site.Directory() + "/none/qorv.chm", "2: The system cannot find the file specified."},
        {garbage, "1392: The file or directory is corrupted and unreadable."},
        {cut, "1392: The file or directory is corrupted and unreadable."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        prompts.asked.clear();
        main->SetHelpFile(QString::fromStdString(c.file));
        EXPECT_TRUE(main->ApplicationHelp(TApplication::kHelpContextCommand, TfrmQORVMain::kHelpContext));
        ASSERT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(prompts.asked[0].text.toStdString(), "Cannot open the help file " + c.file + ".\r" + c.reason);
        EXPECT_EQ(prompts.asked[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
}

TEST(HelpWithoutLibrary, HelpDoesNothing)
{
    MainWindowSite network;
    ScopedSystemFunctions bound;
    platform::PlatformProfile profile = platform::CurrentProfile();
    profile.missingModules.insert("hhctrl.ocx");
    const platform::ScopedProfile withoutHelp(profile);
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    TfrmQORVMain main;
    EXPECT_FALSE(main.ApplicationHelp(TApplication::kHelpContextCommand, TfrmQORVMain::kHelpContext));
    EXPECT_FALSE(TApplication::Instance()->HelpContext(TfrmQORVMain::kHelpContext));
    EXPECT_FALSE(platform::CurrentHelpViewer().open);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(AboutBox, LayoutAndProgramVersion)
{
    TAboutForm about;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.size(), QSize(392, 232));
    EXPECT_EQ(about.AppTitleLabel()->text(), "Quellvane");
    EXPECT_TRUE(about.AppTitleLabel()->font().bold());
    EXPECT_EQ(about.lbBeta()->text(), "Beta");
    EXPECT_FALSE(about.imgLogo()->pixmap().isNull());
    EXPECT_EQ(about.imgLogo()->size(), QSize(32, 32));
    EXPECT_FALSE(about.meProtected()->toPlainText().isEmpty());
    EXPECT_TRUE(about.meProtected()->isReadOnly());
    EXPECT_TRUE(about.btnOk()->isDefault());
    // The program's own version: the project's.
    const QString version = QStringLiteral(QV_PROJECT_VERSION);
    EXPECT_EQ(about.VersionLabel()->text(),
              "Version " + version.section(u'.', 0, 1) + " (Build " + version + ")");

    // A link opens its address on the desktop.
    QTextBrowser web;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &web, "setSource");
    emit about.WebLink()->linkActivated(about.WebLink()->toolTip());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(web.source(), QUrl(QString::fromLatin1(TAboutForm::kWebAddress)));
}

// The program's name is drawn bold: clearly heavier than the same text in
// the box's regular font.
TEST(AboutBox, TheTitleIsDrawnBold)
{
    TAboutForm about;
    about.show();
    QLabel* title = about.AppTitleLabel();
    QLabel regular(title->text(), &about);
    QFont font = title->font();
    font.setBold(false);
    regular.setFont(font);
    regular.setGeometry(title->geometry().translated(0, 150));
    regular.show();
    const QImage heavy = title->grab().toImage();
    const QImage thin = regular.grab().toImage();
    const int heavyInk = PixelsNear(heavy, Qt::black, 0x7F);
    const int thinInk = PixelsNear(thin, Qt::black, 0x7F);
    EXPECT_GT(thinInk, 50);
    EXPECT_GT(heavyInk, thinInk * 6 / 5) << "regular " << thinInk << ", bold " << heavyInk;
}

TEST(AboutBox, VersionStrings)
{
    const QString program = QCoreApplication::applicationFilePath();
    QString shortVersion = QStringLiteral("kept");
    QString fullVersion = QStringLiteral("kept");

    platform::SetProgramVersion(1, 2, 3, 4);
    ASSERT_TRUE(GetFileVersionStrings(program, shortVersion, fullVersion));
    EXPECT_EQ(shortVersion, "1.2");
    EXPECT_EQ(fullVersion, "1.2.3.4");
    EXPECT_EQ(TAboutForm().VersionLabel()->text(), "Version 1.2 (Build 1.2.3.4)");

    platform::SetProgramVersion(65535, 0, 65535, 1);
    ASSERT_TRUE(GetFileVersionStrings(program, shortVersion, fullVersion));
    EXPECT_EQ(fullVersion, "65535.0.65535.1");

    // Another file, and a program without a version resource, have none:
    // the outputs and the layout's label stay.
    shortVersion = fullVersion = QStringLiteral("kept");
    EXPECT_FALSE(GetFileVersionStrings(QDir(QCoreApplication::applicationDirPath()).filePath("qorv.chm"),
                                       shortVersion, fullVersion));
    platform::ClearProgramVersion();
    EXPECT_FALSE(GetFileVersionStrings(program, shortVersion, fullVersion));
    EXPECT_EQ(shortVersion, "kept");
    EXPECT_EQ(fullVersion, "kept");
    EXPECT_EQ(TAboutForm().VersionLabel()->text(), "Version 1.0 (Build 1.0.0.0)");
}

} // namespace
