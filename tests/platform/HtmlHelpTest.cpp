// The platform's HTML help on the program's own help file, compiled at
// build time (QV_HELP_FILE), and on damaged copies of it.

#include "platform/ChmFile.h"
#include "platform/ErrorCodes.h"
#include "platform/HelpWindow.h"
#include "platform/HtmlHelp.h"
#include "platform/Kernel32.h"
#include "platform/Modules.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <map>
#include <stdexcept>

namespace {

const std::string kHelpFile = QV_HELP_FILE;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file of the test's own in the temporary directory, removed with it.
class TempFile {
public:
    explicit TempFile(const std::string& name, const std::string& bytes)
        : path_((std::filesystem::temp_directory_path() / ("qv-help-" + std::to_string(::getpid()) + "-" + name)).string())
    {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

HWND showHelp(const std::string& target)
{
    return HtmlHelpA(nullptr, target.c_str(), HH_DISPLAY_TOPIC, 0);
}

class HtmlHelpTest : public ::testing::Test {
protected:
    void SetUp() override { platform::InstallHtmlHelp(); }
    void TearDown() override { HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0); }
};

TEST(ChmFile, ReadsTheProgramsHelpFile)
{
    platform::ChmFile file;
    ASSERT_EQ(file.Open(kHelpFile), ERROR_SUCCESS);
    EXPECT_EQ(file.Title(), "Quellvane Help");
    EXPECT_EQ(file.DefaultTopic(), "/index.html");
    for (const char* page : {"/index.html", "/interface.html", "/selcomp.html", "/filter.html", "/commands.html",
                             "/print.html"}) {
        SCOPED_TRACE(page);
        std::vector<BYTE> bytes;
        ASSERT_EQ(file.Read(page, bytes), ERROR_SUCCESS);
        EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("<title>"), std::string::npos);
    }
    std::vector<BYTE> bytes;
    EXPECT_EQ(file.Read("/nothing.html", bytes), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.Contains("/nothing.html"));
    EXPECT_EQ(file.Read("/" + std::string(600, 'x'), bytes), ERROR_FILE_NOT_FOUND);
}

TEST(ChmFile, MissingAndDamagedFiles)
{
    platform::ChmFile file;
    EXPECT_EQ(file.Open("/nonexistent/qorv.chm"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(file.Open(std::filesystem::temp_directory_path().string()), ERROR_FILE_NOT_FOUND);
    const std::string good = readAll(kHelpFile);
    ASSERT_GT(good.size(), 1000u);
    const TempFile empty("empty.chm", "");
    const TempFile garbage("garbage.chm", std::string(4096, 'Z'));
    const TempFile header("header.chm", good.substr(0, 120));
    // The compression's control data said to lie in the compressed section
    // it describes (the directory entry's section after its name).
    std::string inCompressed = good;
    const std::string controlData = "::DataSpace/Storage/MSCompressed/ControlData";
    const std::size_t name = inCompressed.find(controlData);
    ASSERT_NE(name, std::string::npos);
    ASSERT_EQ(inCompressed[name + controlData.size()], '\0');
    inCompressed[name + controlData.size()] = '\1';
    const TempFile compressedControl("compressed-control.chm", inCompressed);
    // Cut short after its directory, in the compressed content.
    const TempFile cut("cut.chm", good.substr(0, good.size() - 2048));
    for (const TempFile* damaged : {&empty, &garbage, &header, &compressedControl, &cut}) {
        SCOPED_TRACE(damaged->Path());
        EXPECT_EQ(file.Open(damaged->Path()), ERROR_FILE_CORRUPT);
    }
    // Cut short once it is open: its pages can no longer be read whole.
    const TempFile shrinking("shrinking.chm", good);
    ASSERT_EQ(file.Open(shrinking.Path()), ERROR_SUCCESS);
    std::vector<BYTE> bytes;
    ASSERT_EQ(file.Read("/interface.html", bytes), ERROR_SUCCESS);
    std::filesystem::resize_file(shrinking.Path(), good.size() - 2048);
    for (const char* page : {"/interface.html", "/#SYSTEM"}) {
        SCOPED_TRACE(page);
        EXPECT_EQ(file.Read(page, bytes), ERROR_FILE_CORRUPT);
        EXPECT_TRUE(bytes.empty());
    }
}

// Every object of a help file, by name, as its directory lists them.
std::vector<std::string> objectNames(const std::string& bytes)
{
    std::vector<platform::ChmDirectoryEntry> entries;
    std::uint64_t contentOffset = 0;
    const std::vector<BYTE> raw(bytes.begin(), bytes.end());
    EXPECT_EQ(platform::CheckChmDirectory(raw, raw.size(), entries, contentOffset), ERROR_SUCCESS);
    std::vector<std::string> names;
    for (const platform::ChmDirectoryEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

TEST(ChmFile, AFileCutShortGivesNoPageItDoesNotHoldWhole)
{
    const std::string good = readAll(kHelpFile);
    const std::vector<std::string> names = objectNames(good);
    ASSERT_GT(names.size(), 10u);
    platform::ChmFile whole;
    ASSERT_EQ(whole.Open(kHelpFile), ERROR_SUCCESS);
    std::map<std::string, std::vector<BYTE>> pages;
    for (const std::string& name : names) {
        std::vector<BYTE> bytes;
        ASSERT_EQ(whole.Read(name, bytes), ERROR_SUCCESS) << name;
        pages[name] = std::move(bytes);
    }

    // Cut at every 500th byte, the file is refused as damaged, or each page
    // it gives is that of the whole file.
    for (std::size_t length = 500; length < good.size(); length += 500) {
        SCOPED_TRACE(length);
        const TempFile cut("cut.chm", good.substr(0, length));
        platform::ChmFile file;
        const DWORD opened = file.Open(cut.Path());
        if (opened != ERROR_SUCCESS) {
            EXPECT_EQ(opened, ERROR_FILE_CORRUPT);
            continue;
        }
        for (const std::string& name : names) {
            std::vector<BYTE> bytes;
            const DWORD read = file.Read(name, bytes);
            if (read == ERROR_SUCCESS)
                EXPECT_EQ(bytes, pages[name]) << name;
            else
                EXPECT_TRUE(bytes.empty()) << name;
        }
    }
}

void putLe(std::vector<BYTE>& bytes, std::size_t at, std::uint64_t value, int length)
{
    for (int i = 0; i < length; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<BYTE>(value >> (8 * i));
}

using ChmEntries = std::vector<platform::ChmDirectoryEntry>;

// The object whose name ends so.
platform::ChmDirectoryEntry& objectNamed(ChmEntries& entries, const std::string& name)
{
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&name](const platform::ChmDirectoryEntry& e) { return e.name.ends_with(name); });
    if (found == entries.end())
        throw std::runtime_error("no object " + name);
    return *found;
}

TEST(ChmFile, EveryObjectMustLieInsideTheFile)
{
    const std::string good = readAll(kHelpFile);
    const std::vector<BYTE> raw(good.begin(), good.end());
    ChmEntries entries;
    std::uint64_t contentOffset = 0;
    ASSERT_EQ(platform::CheckChmDirectory(raw, raw.size(), entries, contentOffset), ERROR_SUCCESS);
    const platform::ChmDirectoryEntry& table = objectNamed(entries, "/InstanceData/ResetTable");
    const auto tableAt = raw.begin() + static_cast<std::ptrdiff_t>(contentOffset + table.offset);
    const std::vector<BYTE> resetTable(tableAt, tableAt + static_cast<std::ptrdiff_t>(table.length));
    const std::uint64_t contentLength = objectNamed(entries, "MSCompressed/Content").length;
    const std::uint64_t uncompressed = resetTable[0x10] | resetTable[0x11] << 8 | resetTable[0x12] << 16;
    ASSERT_EQ(platform::CheckChmSections(entries, contentOffset, raw.size(), resetTable), ERROR_SUCCESS);

    // What CheckChmSections is given, damaged one way at a time.
    struct Checked {
        ChmEntries entries;
        std::vector<BYTE> table;
        std::uint64_t size;
    };
    const struct {
        const char* what;
        std::function<void(Checked&)> apply;
    } damages[] = {
        {"the file a byte shorter than its content", [](Checked& c) { --c.size; }},
        {"a stored object past the end", [](Checked& c) { objectNamed(c.entries, "/#SYSTEM").length += 0x10000; }},
        {"a compressed object past what the blocks give",
         [&](Checked& c) { objectNamed(c.entries, "/index.html").offset = uncompressed; }},
        {"a third section", [](Checked& c) { objectNamed(c.entries, "/filter.html").section = 2; }},
        {"no content", [](Checked& c) { objectNamed(c.entries, "MSCompressed/Content").name = "/x"; }},
        {"no reset table", [](Checked& c) { c.table.clear(); }},
        {"compressed bytes beyond the content", [&](Checked& c) { putLe(c.table, 0x18, contentLength + 1, 8); }},
        {"fewer blocks than the bytes need", [](Checked& c) { putLe(c.table, 4, 0, 4); }},
        {"a block beyond the compressed bytes", [&](Checked& c) { putLe(c.table, 0x28, contentLength + 1, 8); }},
        {"blocks out of order",
         [](Checked& c) {
             putLe(c.table, 0x28, 8, 8);
             putLe(c.table, 0x30, 4, 8);
         }},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        Checked c{entries, resetTable, raw.size()};
        damage.apply(c);
        EXPECT_EQ(platform::CheckChmSections(c.entries, contentOffset, c.size, c.table), ERROR_FILE_CORRUPT);
    }
}

TEST(ChmFile, SystemRecords)
{
    std::string title = "x";
    std::string topic = "y";
    // Version, then: code 3 (title) "Help", code 2 (topic) "a.html", and a
    // record that runs past the end.
    const std::vector<BYTE> bytes{3, 0, 0, 0, 3, 0, 5, 0, 'H', 'e', 'l', 'p', 0, 2, 0, 6, 0, 'a', '.', 'h',
                                  't', 'm', 'l', 3, 0, 200, 0, 'X'};
    platform::ParseChmSystem(bytes, title, topic);
    EXPECT_EQ(title, "Help");
    EXPECT_EQ(topic, "/a.html");
    title.clear();
    platform::ParseChmSystem({1, 2}, title, topic);
    EXPECT_TRUE(title.empty());
}

TEST_F(HtmlHelpTest, TheEntryPointIsFoundAsTheProgramLooksForIt)
{
    HMODULE module = LoadLibraryA("HHCtrl.ocx");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "HtmlHelpA"), platform::ExportOf(&HtmlHelpA));
    FreeLibrary(module);
}

TEST_F(HtmlHelpTest, ShowsTopicsInOneWindow)
{
    const HWND first = showHelp(kHelpFile + "::/index.html");
    ASSERT_NE(first, nullptr);
    platform::HelpViewerState state = platform::CurrentHelpViewer();
    EXPECT_TRUE(state.open);
    EXPECT_EQ(state.file, kHelpFile);
    EXPECT_EQ(state.topic, "/index.html");
    EXPECT_TRUE(state.topicFound);
    EXPECT_EQ(state.title, "Quellvane Help");
    EXPECT_EQ(platform::HelpViewerWindow()->windowTitle(), "Quellvane Help");

    // The same window shows the next topic, at its anchor.
    const HWND second = showHelp(kHelpFile + "::/interface.html#EventLogWindow");
    EXPECT_EQ(second, first);
    state = platform::CurrentHelpViewer();
    EXPECT_EQ(state.topic, "/interface.html#EventLogWindow");
    EXPECT_EQ(state.title, "The program's windows");

    // Without a topic, the file's default topic; a window type is ignored.
    showHelp(kHelpFile + ">main");
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/index.html");

    // A topic the file does not hold says so in the window.
    ASSERT_NE(showHelp(kHelpFile + "::/missing.html"), nullptr);
    state = platform::CurrentHelpViewer();
    EXPECT_FALSE(state.topicFound);
    EXPECT_EQ(state.title, "Topic not found");
}

TEST_F(HtmlHelpTest, LinksBetweenTopicsAndHistory)
{
    ASSERT_NE(showHelp(kHelpFile + "::/index.html"), nullptr);
    platform::HelpWindow* window = platform::HelpViewerWindow();
    platform::ChmBrowser* browser = window->Browser();

    // The keyboard walks to the first link of the page ("main window") and
    // follows it.
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Tab);
    ASSERT_TRUE(browser->textCursor().hasSelection());
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/interface.html#MainWindow");
    EXPECT_TRUE(platform::CurrentHelpViewer().topicFound);

    browser->backward();
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/index.html");
    browser->forward();
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/interface.html#MainWindow");

    // A link out of the file goes to the desktop.
    QTextBrowser receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &receiver, "setSource");
    emit browser->anchorClicked(QUrl(QStringLiteral("mailto:someone@example.org")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    EXPECT_EQ(receiver.source(), QUrl(QStringLiteral("mailto:someone@example.org")));
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/interface.html#MainWindow");
}

TEST_F(HtmlHelpTest, MissingOrDamagedFileShowsNothing)
{
    const TempFile garbage("garbage.chm", std::string(4096, 'Z'));
    struct Case {
        std::string file;
        DWORD error;
    } cases[] = {
        {"/nonexistent/qorv.chm", ERROR_FILE_NOT_FOUND},
        {garbage.Path(), ERROR_FILE_CORRUPT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SetLastError(0);
        EXPECT_EQ(showHelp(c.file + "::/index.html"), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(platform::CurrentHelpViewer().open);
    }
    // A window that shows a topic keeps it when another file fails.
    ASSERT_NE(showHelp(kHelpFile + "::/filter.html"), nullptr);
    EXPECT_EQ(showHelp(garbage.Path() + "::/index.html"), nullptr);
    EXPECT_EQ(platform::CurrentHelpViewer().topic, "/filter.html");

    SetLastError(0);
    EXPECT_EQ(HtmlHelpA(nullptr, kHelpFile.c_str(), 0x0F, 100), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(HtmlHelpTest, UsableWhileAModalDialogIsOpen)
{
    ASSERT_NE(showHelp(kHelpFile + "::/index.html"), nullptr);
    platform::HelpWindow* window = platform::HelpViewerWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    std::string followed;
    QDialog dialog;
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
        // A click on the first link, as the window system delivers it: a
        // window that the dialog blocked would never see it.
        platform::ChmBrowser* browser = window->Browser();
        QTextCursor cursor(browser->document());
        cursor.setPosition(browser->document()->toPlainText().indexOf(QStringLiteral("main window")) + 2);
        const QPoint at = browser->viewport()->mapTo(window, browser->cursorRect(cursor).center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
        followed = platform::CurrentHelpViewer().topic;
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(followed, "/interface.html#MainWindow");
}

} // namespace
