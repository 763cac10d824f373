#include "AppFakes.h"
#include "SiteBuilder.h"
#include "WhenShown.h"

#include "app/LogSettings.h"
#include "app/dwy_reg.h"
#include "app/logprop.h"
#include "app/logview.h"
#include "app/main.h"

#include "ntlib/EventLog.h"
#include "ntlib/FunctionBinding.h"

#include "tools/evtgen/EvtGenerator.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\";

// The local computer WKS1 and the server SRV1 (system root C:\WINNT), each
// with the usual logs of three events.
class LogPropertiesTest : public ::testing::Test {
protected:
    SiteBuilder site;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::string localApplication;

    void SetUp() override
    {
        site.Local("WKS1")
            .StandardEventLogs("WKS1")
            .Computer("SRV1")
            .StandardEventLogs("SRV1", "C:\\WINNT")
            .Computer("SRV9", {.reachable = false});
        for (const char* file : {"AppEvent.Evt", "SecEvent.Evt", "SysEvent.Evt"}) {
            writeLog("WKS1", "WINDOWS", file);
            writeLog("SRV1", "WINNT", file);
        }
        localApplication = site.DrivePath("WKS1", "WINDOWS\\system32\\config\\AppEvent.Evt");
        site.Load();
    }

    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::string writeLog(const std::string& computer, const std::string& root, const std::string& file)
    {
        const std::string path = site.DriveFile(computer, root + "\\system32\\config\\" + file, "");
        std::string error;
        if (!evtgen::WriteEvtLog("clock time=2021-03-04T05:06:07Z\nevent type=information source=Userenv id=1 "
                                 "repeat=3\n",
                                 path, error))
            throw std::runtime_error("the test log is not written: " + error);
        return path;
    }

    static std::uint64_t sizeOf(const std::string& path) { return std::filesystem::file_size(path); }

    static int eventCount(const std::string& computer, const std::string& log)
    {
        TNTEventLog reader;
        reader.SetMachineName(computer);
        reader.SetSourceName(log);
        reader.SetActive(true);
        const int count = reader.GetEventCount();
        reader.SetActive(false);
        return count;
    }
};

TEST(LogSettings, FilePathOfALog)
{
    struct Case {
        const char* computer;
        const char* file;
        const char* path;
    } cases[] = {
        {"", "%SystemRoot%\\system32\\config\\AppEvent.Evt", "C:\\WINNT\\system32\\config\\AppEvent.Evt"},
        {"", "%systemroot%\\a\\%SystemRoot%", "C:\\WINNT\\a\\%SystemRoot%"},
        {"SRV1", "%SystemRoot%\\system32\\config\\SysEvent.Evt", "\\\\SRV1\\C$\\WINNT\\system32\\config\\SysEvent.Evt"},
        {"\\\\SRV1", "D:\\Logs\\x.evt", "\\\\SRV1\\D$\\Logs\\x.evt"},
        {"SRV1", "<no value>", "\\\\SRV1\\<no value>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LogFilePath(c.computer, c.file, "C:\\WINNT"), c.path) << c.file;
}

TEST(LogSettings, RetentionAndSizeTexts)
{
    EXPECT_EQ(RetentionOf(0).mode, omAsNeeded);
    EXPECT_EQ(RetentionOf(-1).mode, omNever);
    EXPECT_EQ(RetentionOf(3 * 86400 + 5).mode, omOlderThan);
    EXPECT_EQ(RetentionOf(3 * 86400 + 5).days, 3u);
    // Unsigned: a negative value other than -1 is a very long time.
    EXPECT_EQ(RetentionOf(-2).days, 0xFFFFFFFEu / 86400);
    EXPECT_EQ(RetentionValue(omOlderThan, 4), 345600);
    EXPECT_EQ(RetentionValue(omNever, 4), -1);
    EXPECT_EQ(RetentionValue(omAsNeeded, 4), 0);
    EXPECT_EQ(FileSizeText(65536 + 100), "64 KB (65636 bytes)");
    // Sizes of 2 GB and more show whole.
    EXPECT_EQ(FileSizeText(3221225472ULL + 1024), "3145729 KB (3221226496 bytes)");
}

TEST_F(LogPropertiesTest, LocalLog)
{
    // Known dates for the file's last write and last access.
    const timespec times[2] = {{1614834367, 0}, {1614834367 + 86400, 0}}; // access, write
    ASSERT_EQ(utimensat(AT_FDCWD, localApplication.c_str(), times, 0), 0);

    TfrmLogProperties dialog;
    dialog.SetComputerName({});
    dialog.SetLogName(QStringLiteral("Application"));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Log Properties - Application");
    EXPECT_EQ(dialog.edFileName()->text(), "C:\\WINDOWS\\system32\\config\\AppEvent.Evt");
    EXPECT_EQ(dialog.edFileName()->cursorPosition(), 0);
    EXPECT_TRUE(dialog.GroupBox1()->isVisible());
    EXPECT_EQ(dialog.SizeLabel()->text(), FileSizeText(sizeOf(localApplication)));
    EXPECT_EQ(dialog.AccessedDate()->text(), "Thursday, March 4, 2021");
    EXPECT_EQ(dialog.AccessedTime()->text(), "5:06:07 AM UTC");
    EXPECT_EQ(dialog.ModifiedDate()->text(), "Friday, March 5, 2021");
    EXPECT_FALSE(dialog.CreatedDate()->text().isEmpty());
    EXPECT_NE(dialog.CreatedDate()->text(), "<Unavailable>");
    EXPECT_EQ(dialog.udSize()->value(), 512);
    EXPECT_TRUE(dialog.rbOlder()->isChecked());
    EXPECT_EQ(dialog.udDays()->value(), 7);
    EXPECT_TRUE(dialog.udDays()->isEnabled());
}

TEST_F(LogPropertiesTest, RemoteLogThroughTheAdministrativeShare)
{
    TfrmLogProperties dialog;
    dialog.SetComputerName(QStringLiteral("SRV1"));
    dialog.SetLogName(QStringLiteral("System"));
    dialog.show();
    EXPECT_EQ(dialog.edFileName()->text(), "\\\\SRV1\\C$\\WINNT\\system32\\config\\SysEvent.Evt");
    EXPECT_NE(dialog.SizeLabel()->text(), "<Unavailable>");

    // Its settings are those of SRV1's registry, and OK writes there.
    RegWriteInteger("SRV1", std::string(kKey) + "System", "Retention", 0);
    dialog.FormShow();
    EXPECT_TRUE(dialog.rbAsNeeded()->isChecked());
    dialog.rbNever()->click();
    dialog.WriteSettings();
    EXPECT_EQ(RegReadInteger("SRV1", std::string(kKey) + "System", "Retention", 5), -1);
    EXPECT_EQ(RegReadInteger("", std::string(kKey) + "System", "Retention", 5), 604800);
}

TEST_F(LogPropertiesTest, AFailedWriteKeepsTheDialogOpen)
{
    // A computer that does not answer: its defaults are shown, and OK tells
    // why nothing could be written without losing what the user chose.
    TfrmLogProperties dialog;
    dialog.SetComputerName(QStringLiteral("SRV9"));
    dialog.SetLogName(QStringLiteral("System"));
    dialog.show();
    EXPECT_EQ(dialog.SizeLabel()->text(), "<Unavailable>");
    dialog.udSize()->setValue(2048);
    dialog.btnOK()->click();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.udSize()->value(), 2048);
}

TEST_F(LogPropertiesTest, MissingFileValueAndMissingFile)
{
    TfrmLogProperties dialog;
    dialog.SetLogName(QStringLiteral("NoSuchLog"));
    dialog.show();
    EXPECT_EQ(dialog.edFileName()->text(), "<no value>");
    for (QLabel* value : {dialog.SizeLabel(), dialog.CreatedDate(), dialog.ModifiedDate(), dialog.AccessedDate()})
        EXPECT_EQ(value->text(), "<Unavailable>");
    for (QLabel* value : {dialog.CreatedTime(), dialog.ModifiedTime(), dialog.AccessedTime()})
        EXPECT_TRUE(value->text().isEmpty());
    // The defaults of a log without values.
    EXPECT_EQ(dialog.udSize()->value(), 512);
    EXPECT_TRUE(dialog.rbOlder()->isChecked());
    EXPECT_EQ(dialog.udDays()->value(), 7);
}

TEST_F(LogPropertiesTest, BackupFileShowsItsFileOnly)
{
    // A backup file of 3 GB (sparse): its size shows whole.
    const std::string path = site.Directory() + "/big.evt";
    { std::ofstream(path, std::ios::binary).put('x'); }
    std::filesystem::resize_file(path, 3221225472ULL);
    const std::string key = std::string(kKey) + path;

    TfrmLogProperties dialog;
    dialog.SetComputerName(QStringLiteral("$FILE"));
    dialog.SetLogName(QString::fromStdString(path));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QString::fromStdString("Log Properties - " + path));
    EXPECT_EQ(dialog.edFileName()->text(), QString::fromStdString(path));
    EXPECT_FALSE(dialog.GroupBox1()->isVisible());
    EXPECT_EQ(dialog.SizeLabel()->text(), "3145728 KB (3221225472 bytes)");
    dialog.btnOK()->click();
    EXPECT_EQ(RegReadInteger("", key, "MaxSize", -7), -7);

    // Its Clear Log refuses.
    TfrmQORVMain main;
    dialog.SetOnClearLog([&main](const QString& computer, const QString& log) { main.ClearLogAsked(computer, log); });
    dialog.btnClearLogClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "You cannot clear event log file");
    EXPECT_EQ(prompts.asked[0].caption, "Clear Log");
}

TEST_F(LogPropertiesTest, OkWritesOnlyWhatChanged)
{
    const std::string key = std::string(kKey) + "Application";
    struct Case {
        const char* what;
        int maxSize;
        int retention;
        std::function<void(TfrmLogProperties&)> change;
        int shownSize;
        TOverwriteMode shownMode;
        int shownDays;
        int maxSizeAfter;
        int retentionAfter;
    } cases[] = {
        {"nothing changed keeps odd values", 524289, 3 * 86400 + 5, nullptr, 512, omOlderThan, 3, 524289,
         3 * 86400 + 5},
        {"a size the control clamps", 64 << 20, 0, nullptr, 32767, omAsNeeded, 7, 64 << 20, 0},
        {"a retention under a day", 512 << 10, 3600, nullptr, 512, omOlderThan, 1, 512 << 10, 3600},
        {"never overwrite", 512 << 10, -1, nullptr, 512, omNever, 7, 512 << 10, -1},
        {"the size changed", 64 << 20, 3600, [](TfrmLogProperties& d) { d.udSize()->setValue(1024); }, 32767,
         omOlderThan, 1, 1 << 20, 3600},
        {"the days changed", 512 << 10, 3600, [](TfrmLogProperties& d) { d.udDays()->setValue(4); }, 512,
         omOlderThan, 1, 512 << 10, 4 * 86400},
        {"the mode changed", 512 << 10, 3600, [](TfrmLogProperties& d) { d.rbAsNeeded()->click(); }, 512,
         omOlderThan, 1, 512 << 10, 0},
        {"restore defaults writes both", 524288, 604800, [](TfrmLogProperties& d) { d.btnRestoreDefaults()->click(); },
         512, omOlderThan, 7, 524288, 604800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegWriteInteger("", key, "MaxSize", c.maxSize);
        RegWriteInteger("", key, "Retention", c.retention);
        prompts.asked.clear();
        WhenShown<TfrmLogProperties>([&c](TfrmLogProperties& dialog) {
            EXPECT_EQ(dialog.udSize()->value(), c.shownSize);
            EXPECT_EQ(dialog.rbAsNeeded()->isChecked(), c.shownMode == omAsNeeded);
            EXPECT_EQ(dialog.rbOlder()->isChecked(), c.shownMode == omOlderThan);
            EXPECT_EQ(dialog.rbNever()->isChecked(), c.shownMode == omNever);
            EXPECT_EQ(dialog.udDays()->value(), c.shownDays);
            EXPECT_EQ(dialog.udDays()->isEnabled(), c.shownMode == omOlderThan);
            if (c.change)
                c.change(dialog);
            dialog.btnOK()->click();
        });
        TfrmLogProperties dialog;
        dialog.SetLogName(QStringLiteral("Application"));
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_EQ(RegReadInteger("", key, "MaxSize", -7), c.maxSizeAfter);
        EXPECT_EQ(RegReadInteger("", key, "Retention", -7), c.retentionAfter);
    }

    // Restore Defaults alone sets the controls; Cancel writes nothing.
    RegWriteInteger("", key, "MaxSize", 1 << 20);
    WhenShown<TfrmLogProperties>([](TfrmLogProperties& dialog) {
        dialog.rbNever()->click();
        dialog.btnRestoreDefaults()->click();
        EXPECT_EQ(dialog.udSize()->value(), 512);
        EXPECT_EQ(dialog.udDays()->value(), 7);
        EXPECT_TRUE(dialog.rbOlder()->isChecked());
        EXPECT_TRUE(dialog.udDays()->isEnabled());
        dialog.btnCancel()->click();
    });
    TfrmLogProperties dialog;
    dialog.SetLogName(QStringLiteral("Application"));
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(RegReadInteger("", key, "MaxSize", -7), 1 << 20);
}

TEST_F(LogPropertiesTest, ClearLogWithoutALogWindow)
{
    TfrmQORVMain main;
    ASSERT_EQ(eventCount("", "Application"), 3);

    // Cancel keeps the log; the question names the local computer.
    prompts.answer = IDCANCEL;
    WhenShown<TfrmLogProperties>([](TfrmLogProperties& dialog) {
        dialog.btnClearLog()->click();
        dialog.btnCancel()->click();
    });
    main.ShowLogProperties(QStringLiteral("WKS1 (Local)"), QStringLiteral("Application"));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Do you want to save Application on WKS1 before clearing it?");
    EXPECT_EQ(prompts.asked[0].caption, "Clear Log");
    EXPECT_EQ(prompts.asked[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(eventCount("", "Application"), 3);

    // Yes with the save dialog cancelled keeps it too.
    prompts.answer = IDYES;
    WhenShown<TfrmLogProperties>([](TfrmLogProperties& dialog) {
        dialog.btnClearLog()->click();
        dialog.btnCancel()->click();
    });
    main.ShowLogProperties(QString(), QStringLiteral("Application"));
    ASSERT_EQ(prompts.saveTitles.size(), 1u);
    EXPECT_EQ(prompts.saveTitles[0], "Save Application on WKS1 As");
    EXPECT_EQ(eventCount("", "Application"), 3);

    // Yes with a file saves the log there, then clears it; the dialog shows
    // the emptied file.
    const std::string backup = site.Directory() + "/saved.evt";
    prompts.saveFileName = QString::fromStdString(backup);
    QString sizeAfter;
    WhenShown<TfrmLogProperties>([&sizeAfter](TfrmLogProperties& dialog) {
        dialog.btnClearLog()->click();
        sizeAfter = dialog.SizeLabel()->text();
        dialog.btnCancel()->click();
    });
    main.ShowLogProperties(QStringLiteral("wks1"), QStringLiteral("Application"));
    EXPECT_TRUE(std::filesystem::exists(backup));
    EXPECT_EQ(eventCount("", "Application"), 0);
    EXPECT_EQ(sizeAfter, FileSizeText(sizeOf(localApplication)));
    TNTEventLog saved;
    saved.SetBackupFileName(backup);
    saved.SetActive(true);
    EXPECT_EQ(saved.GetEventCount(), 3);
    saved.SetActive(false);
}

TEST_F(LogPropertiesTest, ClearLogReloadsTheWindowsOfTheLog)
{
    TfrmQORVMain main;
    main.show();
    main.OpenLog(QStringLiteral("SRV1"), QStringLiteral("System"), olmNewWindow);
    main.OpenLog(QStringLiteral("WKS1"), QStringLiteral("System"), olmNewWindow);
    ASSERT_EQ(main.LogWindows().size(), 2u);
    TfrmLogView* remote = main.LogWindows()[0];
    TfrmLogView* local = main.LogWindows()[1];

    // Log Properties of the active window (the local one): the dialog's
    // computer is empty; its Clear Log clears that log only.
    prompts.answer = IDNO;
    QString computer = QStringLiteral("unset");
    WhenShown<TfrmLogProperties>([&computer](TfrmLogProperties& dialog) {
        computer = dialog.ComputerName();
        EXPECT_EQ(dialog.windowTitle(), "Log Properties - System");
        dialog.btnClearLog()->click();
        dialog.btnOK()->click();
    });
    main.actLogProperties()->trigger();
    EXPECT_TRUE(computer.isEmpty());
    EXPECT_EQ(local->StatusText(), "Showing 0 event(s)");
    EXPECT_EQ(remote->StatusText(), "Showing 3 event(s)");
    EXPECT_EQ(eventCount("SRV1", "System"), 3);

    // The tree's popup shows the properties of the selected log node.
    QTreeWidgetItem* srv1 = main.ComputerInTree(QStringLiteral("SRV1"));
    if (!srv1) {
        main.AddComputerNode(QStringLiteral("SRV1"));
        srv1 = main.ComputerInTree(QStringLiteral("SRV1"));
    }
    main.tvComputers()->expandItem(srv1);
    ASSERT_GT(srv1->childCount(), 0);
    main.tvComputers()->setCurrentItem(srv1->child(srv1->childCount() - 1));
    main.pmComputersPopup();
    EXPECT_TRUE(main.pmitLogProperties()->isEnabled());
    WhenShown<TfrmLogProperties>([&computer](TfrmLogProperties& dialog) {
        computer = dialog.ComputerName();
        EXPECT_EQ(dialog.edFileName()->text(), "\\\\SRV1\\C$\\WINNT\\system32\\config\\SysEvent.Evt");
        dialog.btnCancel()->click();
    });
    main.pmitLogProperties()->trigger();
    EXPECT_EQ(computer, "SRV1");
    main.CloseAllLogWindows();
}

} // namespace
