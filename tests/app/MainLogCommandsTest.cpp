// The main window's commands on logs: Open Log File, Refresh, Save Log As,
// Clear Log, the view commands of the description pane and the grid, and
// the exports through the report bridge.

#include "AppFakes.h"
#include "FileSizeLimit.h"
#include "QtPrinters.h"
#include "ScopedFifo.h"
#include "ScopedTimeZone.h"
#include "SiteBuilder.h"
#include "WhenShown.h"

#include "ThemeManager/XPSystemButton.h"

#include "app/CriteriaFile.h"
#include "app/EventExport.h"
#include "app/ReportBridge.h"
#include "app/filt_frm.h"
#include "app/logview.h"
#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "tools/evtgen/EvtGenerator.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace {

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Four events of WKS1's Application log: a Mirrorfield error with a user,
// a warning whose source and computer hold markup, a tab and a line break,
// a Mirrorfield information, and an event of a type without a text.  The
// first one is late in the evening (UTC): at UTC+3 the list shows the next
// day.
constexpr char kApplicationEvents[] =
    "clock time=2021-03-04T23:30:00Z\n"
    "event type=error source=Mirrorfield computer=WKS1 id=0xC00001F5 category=1 sid=S-1-5-18 string=Nightly "
    "string=timeout\n"
    "event type=warning source=\"<Web & \\\"Co\\\">\" computer=\"SRV\\tTAB\\r\\nNEXT\" id=0x80000007 "
    "time=2021-03-05T08:00:05Z\n"
    "event type=information source=Mirrorfield computer=WKS1 id=100 category=2 time=2021-03-05T12:00:00Z "
    "string=a string=b string=c\n"
    "event type=success source=Disk computer=WKS1 id=0xC000000B category=3 time=2021-03-06T00:00:01Z\n";

class MainLogCommandsTest : public ::testing::Test {
protected:
    SiteBuilder site;
    std::unique_ptr<ScopedSystemFunctions> bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;
    std::string applicationFile;

    void SetUp() override
    {
        site.Local("WKS1").StandardEventLogs("WKS1");
        const std::string dir = QV_MESSAGE_FIXTURES;
        for (const char* dll : {"mirror_events.dll", "mirror_categories.dll"})
            site.DriveFile("WKS1", std::string("WINDOWS\\system32\\") + dll, readBytes(dir + "/" + dll));
        site.Registry("WKS1", "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\"
                              "Mirrorfield]\n\"EventMessageFile\"=" +
                                  SiteBuilder::ExpandSz("%SystemRoot%\\system32\\mirror_events.dll") +
                                  "\n\"CategoryMessageFile\"=" +
                                  SiteBuilder::ExpandSz("%SystemRoot%\\system32\\mirror_categories.dll") + "\n");
        applicationFile = writeLog("AppEvent.Evt", kApplicationEvents);
        writeLog("SysEvent.Evt", "event source=EventLog id=6005 repeat=3\n");
        writeLog("SecEvent.Evt", "event type=audit-success source=Security id=528\n");
        site.Load();
        bound = std::make_unique<ScopedSystemFunctions>();
        main = std::make_unique<TfrmQORVMain>();
        main->show();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string writeLog(const std::string& file, const std::string& events)
    {
        const std::string path = site.DrivePath("WKS1", "WINDOWS\\system32\\config\\" + file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::string error;
        if (!evtgen::WriteEvtLog(events, path, error))
            throw std::runtime_error("the test log is not written: " + error);
        return path;
    }

    TfrmLogView* open(const char* log)
    {
        main->OpenLog(QStringLiteral("WKS1"), QString::fromLatin1(log), olmNewWindow);
        return main->ActiveLogWindow();
    }

    QString path(const char* name) const { return QString::fromStdString(site.Directory() + "/" + name); }
};

TEST_F(MainLogCommandsTest, ExportsAfterAFilterAndAfterOldestFirst)
{
    const ScopedTimeZone east("QVT-3"); // the list in local time, the files in UTC
    TfrmLogView* window = open("Application");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->Model().rowCount(), 4);
    EXPECT_EQ(window->Model().data(window->Model().index(3, lcDate)).toString(), "3/5/21");

    WhenShown<TfrmFilterDesign>([](TfrmFilterDesign& f) {
        f.cbxInformation()->setChecked(false);
        f.btnOK()->click();
    });
    main->actFilter()->trigger();
    ASSERT_EQ(window->Model().rowCount(), 3);
    prompts.saveFileName = path("filtered.htm");
    main->mmitExportToHTML()->trigger();
    EXPECT_EQ(prompts.saveTitles.back(), "Export");
    EXPECT_EQ(prompts.saveFilters.back(), "HTML files (*.htm) .htm ask");
    EXPECT_EQ(readBytes(site.Directory() + "/filtered.htm"), readBytes(QV_EXPORT_FIXTURES "/filtered.htm"));

    main->actUndoAllFilters()->trigger();
    main->mmitOldestFirst()->trigger();
    prompts.saveFileName = path("oldest-first.txt");
    main->mmitExportToText()->trigger();
    EXPECT_EQ(prompts.saveFilters.back(), "Text files (*.txt) .txt ask");
    EXPECT_EQ(readBytes(site.Directory() + "/oldest-first.txt"), readBytes(QV_EXPORT_FIXTURES "/oldest-first.txt"));
    EXPECT_TRUE(prompts.asked.empty());
}

// A window that is still loading shows no rows yet and has read only part
// of its log: it is not exported (the file would look whole).
TEST_F(MainLogCommandsTest, AWindowStillLoadingIsNotExported)
{
    prompts.saveFileName = path("loading.txt");
    QMetaObject::invokeMethod(
        main.get(), [this] { main->mmitExportToText()->trigger(); }, Qt::QueuedConnection);
    TfrmLogView* window = open("Application");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(prompts.saveTitles.empty());
    EXPECT_FALSE(QFile::exists(prompts.saveFileName));

    // Once loaded, it is.
    main->mmitExportToText()->trigger();
    EXPECT_TRUE(QFile::exists(prompts.saveFileName));
}

TEST_F(MainLogCommandsTest, TheBridgeAnswersForTheActiveWindow)
{
    report::Variant value(std::string("kept"));
    bool eof = false;
    main->dsCommonCheckEOF(eof);
    EXPECT_TRUE(eof); // no window
    main->repCommonGetValue("Type", value);
    EXPECT_EQ(value.textValue(), "kept");

    TfrmLogView* window = open("Application");
    main->repCommonGetValue("EventLogTitle", value);
    EXPECT_EQ(value.textValue(), "Event Log: Application on WKS1");
    main->dsCommonFirst();
    main->repCommonGetValue("Event", value);
    EXPECT_EQ(value.type(), report::VarType::Integer);
    EXPECT_EQ(value.integerValue(), 501);
    main->repCommonGetValue("Category", value);
    EXPECT_EQ(value.textValue(), "Mirroring\r\n"); // as the event holds it
    value = report::Variant(std::string("kept"));
    main->repCommonGetValue("Description", value);
    main->repCommonGetValue("type", value); // names are compared exactly
    EXPECT_EQ(value.textValue(), "kept");
    for (int i = 0; i < 3; ++i)
        main->dsCommonNext();
    main->dsCommonCheckEOF(eof);
    EXPECT_FALSE(eof);
    main->repCommonGetValue("Source", value);
    EXPECT_EQ(value.textValue(), "Disk");
    main->dsCommonNext();
    main->dsCommonCheckEOF(eof);
    EXPECT_TRUE(eof);
    EXPECT_EQ(window->ReportCursor(), 4);
}

TEST_F(MainLogCommandsTest, SaveALogAndOpenTheBackupInANewWindow)
{
    TfrmLogView* live = open("Application");
    const QString backup = path("saved.evt");
    prompts.saveFileName = backup;
    main->actSaveLogAs()->trigger();
    EXPECT_EQ(prompts.saveTitles.back(), "Save Application on WKS1 As");
    EXPECT_EQ(prompts.saveFilters.back(), "Event log files (*.evt) .evt"); // no question before replacing

    prompts.openFileName = backup;
    main->actOpenLogFile()->trigger();
    EXPECT_EQ(prompts.openDialogs.back(), "Open Backup Event Log File | Event log files (*.evt)");
    ASSERT_EQ(main->LogWindows().size(), 2u);
    TfrmLogView* file = main->ActiveLogWindow();
    ASSERT_NE(file, live);
    EXPECT_TRUE(file->IsFile());
    EXPECT_EQ(file->ComputerName(), "$FILE");
    EXPECT_EQ(file->LogName(), backup);
    ASSERT_EQ(file->Events().size(), live->Events().size());
    for (std::size_t i = 0; i < live->Events().size(); ++i) {
        SCOPED_TRACE(i);
        TEventItem& a = *live->Events()[i];
        TEventItem& b = *file->Events()[i];
        EXPECT_EQ(a.RecordNumber, b.RecordNumber);
        EXPECT_EQ(a.TimeGenerated, b.TimeGenerated);
        EXPECT_EQ(a.TimeWritten, b.TimeWritten);
        EXPECT_EQ(a.EventID, b.EventID);
        EXPECT_EQ(a.EventType, b.EventType);
        EXPECT_EQ(a.Category, b.Category);
        EXPECT_EQ(a.Source.str(), b.Source.str());
        EXPECT_EQ(a.Computer.str(), b.Computer.str());
        EXPECT_EQ(a.Strings, b.Strings);
        EXPECT_EQ(a.GetUserName(), b.GetUserName());
        EXPECT_EQ(a.CategoryName.str(), b.CategoryName.str());
    }

    // Saving onto a file that is there fails as the platform's backup does:
    // the error is shown and the file stays.
    const std::string before = readBytes(backup.toStdString());
    main->actSaveLogAs()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(readBytes(backup.toStdString()), before);

    // A file that is not there is ignored without a message.
    prompts.openFileName = path("missing.evt");
    main->actOpenLogFile()->trigger();
    EXPECT_EQ(main->LogWindows().size(), 2u);
    EXPECT_EQ(prompts.asked.size(), 1u);
}

TEST_F(MainLogCommandsTest, ClearLogWithEachAnswer)
{
    TfrmLogView* window = open("System");
    ASSERT_EQ(window->Model().rowCount(), 3);

    prompts.answers = {IDCANCEL};
    main->actClearLog()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you want to save System on WKS1 before clearing it?");
    EXPECT_EQ(window->Model().rowCount(), 3);

    // Yes and a backup that fails (the file is there): nothing is cleared.
    const QString taken = path("taken.evt");
    QFile(taken).open(QIODevice::WriteOnly);
    prompts.saveFileName = taken;
    prompts.answers = {IDYES};
    main->actClearLog()->trigger();
    EXPECT_EQ(prompts.asked.back().flags, UINT(MB_OK | MB_ICONERROR));
    main->actRefresh()->trigger();
    EXPECT_EQ(window->Model().rowCount(), 3);

    // Yes and a new file: saved, then cleared, and the window shows it.
    prompts.saveFileName = path("system.evt");
    prompts.answers = {IDYES};
    main->actClearLog()->trigger();
    EXPECT_TRUE(QFile::exists(prompts.saveFileName));
    EXPECT_EQ(window->Model().rowCount(), 0);
    EXPECT_EQ(window->StatusText(), "Showing 0 event(s)");

    // No: cleared without a backup, from the tree's popup.
    window = open("Application");
    QTreeWidgetItem* wks1 = main->ComputerInTree(QStringLiteral("WKS1 (Local)"));
    ASSERT_NE(wks1, nullptr);
    main->tvComputers()->expandItem(wks1);
    for (int i = 0; i < wks1->childCount(); ++i)
        if (wks1->child(i)->text(0) == "Application")
            main->tvComputers()->setCurrentItem(wks1->child(i));
    main->pmComputersPopup();
    const std::size_t saves = prompts.saveTitles.size();
    prompts.answers = {IDNO};
    main->pmitClearLog()->trigger();
    EXPECT_EQ(prompts.asked.back().text, "Do you want to save Application on WKS1 (Local) before clearing it?");
    EXPECT_EQ(prompts.saveTitles.size(), saves);
    EXPECT_EQ(window->Model().rowCount(), 0);

    // A backup-file window cannot be cleared.
    prompts.openFileName = path("system.evt");
    main->actOpenLogFile()->trigger();
    main->actClearLog()->trigger();
    EXPECT_EQ(prompts.asked.back().text, "You cannot clear event log file");
    EXPECT_EQ(prompts.asked.back().flags, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(main->ActiveLogWindow()->Model().rowCount(), 3);
}

TEST_F(MainLogCommandsTest, OpenLogFileRefusesWhatIsNoRegularFile)
{
    ScopedFifo fifo(site.Directory() + "/pipe.evt");
    ASSERT_TRUE(fifo.Made());
    prompts.openFileName = QString::fromStdString(fifo.Path());
    main->actOpenLogFile()->trigger();
    EXPECT_FALSE(fifo.Waited()) << "the program waited on the FIFO";
    EXPECT_TRUE(main->LogWindows().empty());
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(prompts.asked[0].text.contains(prompts.openFileName)) << prompts.asked[0].text.toStdString();
    EXPECT_EQ(prompts.asked[0].flags, UINT(MB_OK | MB_ICONERROR));

    // A link to a backup file opens it.
    const QString backup = path("saved.evt");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(applicationFile), backup));
    const QString link = path("link.evt");
    ASSERT_TRUE(QFile::link(backup, link));
    prompts.openFileName = link;
    main->actOpenLogFile()->trigger();
    ASSERT_EQ(main->LogWindows().size(), 1u);
    EXPECT_EQ(main->ActiveLogWindow()->Model().rowCount(), 4);
    EXPECT_EQ(prompts.asked.size(), 1u);
}

TEST_F(MainLogCommandsTest, ClearLogKeepsTheModeAndABackupTakesTheUmask)
{
    const std::string systemFile = site.DrivePath("WKS1", "WINDOWS\\system32\\config\\SysEvent.Evt");
    ASSERT_EQ(::chmod(systemFile.c_str(), 0600), 0);
    TfrmLogView* window = open("System");
    prompts.answers = {IDNO};
    main->actClearLog()->trigger();
    ASSERT_EQ(window->Model().rowCount(), 0);
    struct stat st {};
    ASSERT_EQ(::stat(systemFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << std::oct << st.st_mode;

    const struct {
        mode_t umask;
        mode_t mode;
    } cases[] = {{077, 0600}, {027, 0640}, {002, 0664}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.umask);
        prompts.saveFileName = path(("backup-" + std::to_string(c.umask) + ".evt").c_str());
        const mode_t before = ::umask(c.umask);
        main->actSaveLogAs()->trigger();
        ::umask(before);
        ASSERT_EQ(::stat(prompts.saveFileName.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode) << std::oct << st.st_mode;
    }
}

TEST_F(MainLogCommandsTest, SaveLogAsAndClearLogTakeNamesOfTheLongestLength)
{
    // 255 bytes, the longest name a folder takes.
    const std::string saved = std::string(251, 's') + ".evt";
    const std::string beforeClearing = std::string(251, 'c') + ".evt";
    TfrmLogView* window = open("System");
    ASSERT_EQ(window->Model().rowCount(), 3);
    prompts.saveFileName = path(saved.c_str());
    main->actSaveLogAs()->trigger();
    EXPECT_TRUE(prompts.asked.empty()) << prompts.asked.back().text.toStdString();
    EXPECT_TRUE(QFile::exists(prompts.saveFileName));

    prompts.saveFileName = path(beforeClearing.c_str());
    prompts.answers = {IDYES};
    main->actClearLog()->trigger();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked.back().text, "Do you want to save System on WKS1 before clearing it?");
    EXPECT_TRUE(QFile::exists(prompts.saveFileName));
    EXPECT_EQ(window->Model().rowCount(), 0);

    prompts.openFileName = path(saved.c_str());
    main->actOpenLogFile()->trigger();
    EXPECT_EQ(main->ActiveLogWindow()->Model().rowCount(), 3);
    const QStringList left = QDir(QString::fromStdString(site.Directory())).entryList({"*.evt*"}, QDir::Files);
    EXPECT_EQ(left.size(), 2) << left.join(' ').toStdString();
}

TEST_F(MainLogCommandsTest, RefreshShowsEventsAppendedSince)
{
    TfrmLogView* window = open("System");
    ASSERT_EQ(window->Model().rowCount(), 3);
    writeLog("SysEvent.Evt", "event source=EventLog id=6005 repeat=5\n");
    main->actRefresh()->trigger();
    EXPECT_EQ(window->Model().rowCount(), 5);
    EXPECT_EQ(window->StatusText(), "Showing 5 event(s)");
}

TEST_F(MainLogCommandsTest, ShowEventDescriptionsBringsBackAClosedPane)
{
    TfrmLogView* window = open("System");
    window->CloseDescrButton()->click();
    EXPECT_FALSE(window->DescriptionVisible());
    EXPECT_FALSE(main->mmitShowDescriptions()->isChecked());
    main->mmitShowDescriptions()->trigger();
    EXPECT_TRUE(window->DescriptionVisible());
    EXPECT_TRUE(main->mmitShowDescriptions()->isChecked());
    main->mmitShowDescriptions()->trigger();
    EXPECT_FALSE(window->DescriptionVisible());
    EXPECT_FALSE(main->mmitShowDescriptions()->isChecked());

    EXPECT_TRUE(window->lvLog()->showGrid());
    main->mmitShowGridLines()->trigger();
    EXPECT_FALSE(window->lvLog()->showGrid());
    EXPECT_FALSE(main->mmitShowGridLines()->isChecked());
    main->mmitShowGridLines()->trigger();
    EXPECT_TRUE(window->lvLog()->showGrid());
    EXPECT_TRUE(main->mmitShowGridLines()->isChecked());
}

// Rows given by the test: the cells of each row in column order.
class ListedRows final : public TReportRows {
public:
    std::vector<std::vector<report::Variant>> rows;
    std::size_t at = 0;
    std::size_t failAt = SIZE_MAX;

    void First() override { at = 0; }
    void Next() override { ++at; }
    bool CheckEOF() override { return at >= rows.size(); }
    void GetValue(const std::string& name, report::Variant& value) override
    {
        if (at == failAt)
            throw std::runtime_error("the value cannot be read");
        for (std::size_t c = 0; c < kReportColumns.size(); ++c)
            if (name == kReportColumns[c].valueName && c < rows[at].size())
                value = rows[at][c];
    }
};

std::vector<report::Variant> row(const char* type, const char* category, const char* computer)
{
    return {report::Variant(type), report::Variant("1/2/03"), report::Variant("4:05:06 AM"),
            report::Variant(std::int32_t{7}), report::Variant("S"), report::Variant(category),
            report::Variant("D\\U"), report::Variant(computer)};
}

TEST(EventExport, ValuesStayInTheirCellsAndRows)
{
    ListedRows rows;
    rows.rows = {row("Error", "  Cat\r\n", "a\tb\rc\nd\r\ne"), row("", "", "<script>\"&\"</script>")};
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("x.txt"));
    ExportRowsToText(text, rows);
    EXPECT_EQ(readBytes(text.toStdString()), "Type\tDate\tTime\tEvent\tSource\tCategory\tDomain\\User\tComputer\r\n"
                                             "\r\n"
                                             "Error\t1/2/03\t4:05:06 AM\t7\tS\tCat\tD\\U\ta b c d e\r\n"
                                             "\t1/2/03\t4:05:06 AM\t7\tS\t\tD\\U\t<script>\"&\"</script>\r\n");
    const QString html = dir.filePath(QStringLiteral("x.htm"));
    ExportRowsToHtml(html, QStringLiteral("<i>Log</i> & \"co\""), rows, false, 2);
    const std::string written = readBytes(html.toStdString());
    EXPECT_NE(written.find("<title>&lt;i&gt;Log&lt;/i&gt; &amp; &quot;co&quot;</title>\r\n"), std::string::npos);
    EXPECT_NE(written.find("cellpadding=\"2\" border=\"2\">\r\n"), std::string::npos);
    EXPECT_NE(written.find("  <tr >\r\n    <td>&nbsp;</td>\r\n"), std::string::npos);
    EXPECT_NE(written.find("    <td>&lt;script&gt;&quot;&amp;&quot;&lt;/script&gt;</td>\r\n"), std::string::npos);
    EXPECT_NE(written.find("    <td>a b c d e</td>\r\n"), std::string::npos);
    EXPECT_EQ(written.find("bgcolor"), std::string::npos);
}

TEST(EventExport, AnEmptyListGivesTheSkeleton)
{
    ListedRows rows;
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("x.txt"));
    ExportRowsToText(text, rows);
    EXPECT_EQ(readBytes(text.toStdString()), "Type\tDate\tTime\tEvent\tSource\tCategory\tDomain\\User\tComputer\r\n\r\n");
    const QString html = dir.filePath(QStringLiteral("x.htm"));
    ExportRowsToHtml(html, QStringLiteral("L"), rows, true, 0);
    std::string expected = "<html>\r\n<head>\r\n"
                           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
                           "<title>L</title>\r\n</head>\r\n<body>\r\n<h2>Event Log: L</h2>\r\n"
                           "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\r\n  <tr>\r\n";
    for (const char* header : {"Type", "Date", "Time", "Event", "Source", "Category", "Domain\\User", "Computer"})
        expected += std::string("    <td><b>") + header + "</b></td>\r\n";
    expected += "  </tr>\r\n</table>\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(readBytes(html.toStdString()), expected);
}

TEST(EventExport, AFailedExportLeavesTheEarlierFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("old.txt"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier export\r\n");
    }
    ASSERT_EQ(::chmod(target.toLocal8Bit().constData(), 0640), 0);
    // The rows fail half way: the earlier file stays as it was.
    ListedRows rows;
    rows.rows = {row("Error", "", "A"), row("Error", "", "B")};
    rows.failAt = 1;
    EXPECT_THROW(ExportRowsToText(target, rows), std::runtime_error);
    EXPECT_EQ(readBytes(target.toStdString()), "earlier export\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});

    // Through a symbolic link the link's target is replaced, with its mode.
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(target, link));
    rows.failAt = SIZE_MAX;
    ExportRowsToText(link, rows);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_NE(readBytes(target.toStdString()).find("\tA\r\n"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(target.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A file that cannot be made names itself.
    const QString nowhere = dir.filePath(QStringLiteral("no-such-dir/x.txt"));
    try {
        ExportRowsToText(nowhere, rows);
        FAIL() << "no error";
    } catch (const EExportError& e) {
        EXPECT_NE(std::string(e.what()).find(nowhere.toStdString()), std::string::npos) << e.what();
    }
}

TEST(EventExport, ControlCharactersBecomeBlanksAndTheHtmlIsValid)
{
    std::string controls;
    for (char c = 1; c < 0x20; ++c)
        controls += c;
    controls += '\x7F';
    for (int c = 0x80; c < 0xA0; ++c)
        controls += std::string{'\xC2', static_cast<char>(c)};
    ListedRows rows;
    rows.rows = {row("Error", "", ("<" + controls + "\xC2\xA0\xC3\xA9>").c_str())};
    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("x.htm"));
    ExportRowsToHtml(html, QString::fromUtf8("Log\x01\xC2\x85"), rows, true, 0);
    const std::string written = readBytes(html.toStdString());
    // 31 C0 controls (no CR LF among them), DEL and 32 C1 controls; the
    // no-break space and the letter stay.
    EXPECT_NE(written.find("    <td>&lt;" + std::string(31 + 1 + 32, ' ') + "\xC2\xA0\xC3\xA9&gt;</td>\r\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("<title>Log  </title>"), std::string::npos);

    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(xmllint, {QStringLiteral("--html"), QStringLiteral("--noout"), html});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0);
    const QByteArray said = check.readAll();
    EXPECT_TRUE(said.isEmpty()) << said.left(600).toStdString();
}

// A save on a disk that is full (a file-size limit: writes past it fail)
// raises an error naming the file and the system's reason, and leaves the
// earlier file whole, for outputs that QSaveFile keeps in its buffer (under
// 16 KiB) and for larger ones.
TEST(SavesOnAFullDisk, RaiseTheReasonAndLeaveTheEarlierFile)
{
    auto rowsOf = [](int n) {
        ListedRows rows;
        for (int i = 0; i < n; ++i)
            rows.rows.push_back(row("Warning", "Disk", "SRV"));
        return rows;
    };
    using Writer = std::function<void(const QString& path, int size)>;
    const Writer criteria = [](const QString& path, int size) {
        TEventFilter c;
        c.DescriptionText = QString(size, QLatin1Char('x'));
        SaveCriteriaFile(path, c);
    };
    const Writer html = [&](const QString& path, int size) {
        ListedRows rows = rowsOf(size / 300);
        ExportRowsToHtml(path, QStringLiteral("Log"), rows, true, 0);
    };
    const Writer text = [&](const QString& path, int size) {
        ListedRows rows = rowsOf(size / 60);
        ExportRowsToText(path, rows);
    };
    const struct {
        const char* what;
        const Writer& write;
        int size;         // about the size of the output
        std::uint64_t limit;
    } cases[] = {
        {"small criteria file", criteria, 2000, 100},      {"large criteria file", criteria, 100000, 20000},
        {"small HTML export", html, 3000, 100},            {"large HTML export", html, 600000, 20000},
        {"small text export", text, 1000, 100},            {"large text export", text, 600000, 20000},
        {"criteria file on no room at all", criteria, 10, 0},
    };
    const std::string earlier = "earlier contents\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("saved.out"));
        {
            std::ofstream out(target.toStdString(), std::ios::binary);
            out << earlier;
        }
        const ChildOutcome outcome = RunWithFileSizeLimit(c.limit, [&] { c.write(target, c.size); });
        ASSERT_TRUE(outcome.threw) << outcome.Describe();
        EXPECT_NE(outcome.message.find(target.toStdString()), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find(std::strerror(EFBIG)), std::string::npos) << outcome.message;
        EXPECT_EQ(readBytes(target.toStdString()), earlier);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("saved.out")});
        // Without the limit the same save goes through.
        c.write(target, c.size);
        EXPECT_GT(QFileInfo(target).size(), static_cast<qint64>(c.size / 2));
    }
}

} // namespace
