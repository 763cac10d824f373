// The program's windows under a window manager: openbox, on the X display
// that the test runs this on (xvfb-run and under-openbox.sh).  A window's
// left, top, width and height are those of its outer rectangle, frame and
// title bar included, and a window centred on the screen is centred with
// its frame, every time it opens.  The frames checked are those that the X
// server holds: the window manager's frame window around each window.
// Pictures of the screen go to QV_FRAME_PICTURES.

#include "MainWindowSite.h"
#include "WhenShown.h"

#include "app/Application.h"
#include "app/UserPrompts.h"
#include "app/about.h"
#include "app/browsent.h"
#include "app/compopen.h"
#include "app/dwy_dlgs.h"
#include "app/filt_frm.h"
#include "app/logprop.h"
#include "app/logview.h"
#include "app/main.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/ErrorCodes.h"
#include "platform/MessageBoxTypes.h"
#include "platform/Registry.h"
#include "platform/WindowBounds.h"

#include "report/RP_Dock.h"
#include "report/RP_PrDlg.h"
#include "report/RP_Prntr.h"
#include "report/RpMessageBox.h"
#include "report/RpPasswForm.h"
#include "report/RpPreviewSearchForm.h"
#include "report/RpProgressForm.h"
#include "report/RpQuestions.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

xcb_connection_t* Connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

template <class Reply>
using XReply = std::unique_ptr<Reply, decltype(&std::free)>;

// The window manager has announced itself on the root window.
bool WindowManagerRuns()
{
    xcb_connection_t* c = Connection();
    if (c == nullptr)
        return false;
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    XReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, std::strlen(name), name), nullptr), &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    XReply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr),
        &std::free);
    return property && xcb_get_property_value_length(property.get()) == 4;
}

// The outer rectangle of a top-level window as the X server holds it: that
// of the window manager's frame window around it (the child of the root
// that holds the window), else the window's own.
QRect XFrame(const QWidget& window)
{
    xcb_connection_t* c = Connection();
    xcb_window_t outer = static_cast<xcb_window_t>(window.winId());
    for (;;) {
        XReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, outer), nullptr), &std::free);
        if (!tree)
            return {};
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        outer = tree->parent;
    }
    XReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, outer), nullptr),
                                              &std::free);
    if (!geometry)
        return {};
    return QRect(geometry->x, geometry->y, geometry->width + 2 * geometry->border_width,
                 geometry->height + 2 * geometry->border_width);
}

// The window is shown, and the window manager has framed it.
bool Framed(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return window.isVisible() && handle && handle->isExposed() && !handle->frameMargins().isNull() &&
           XFrame(window) != window.geometry();
}

// The screen's work area, which a window is centred on.
QRect WorkArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A rectangle of that size, centred on the screen as the platform centres
// windows.
QRect CentredOnScreen(const QRect& frame)
{
    const QRect area = WorkArea();
    return QRect(area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2,
                 frame.width(), frame.height());
}

// The frame that Qt's native window gives a window: its geometry and the
// frame's extents the window manager announced.  The program reads frames
// this way.  (The widget's own copy, QWidget::frameGeometry, is refreshed
// only by moves and resizes of the native window, so a window that the
// window manager frames exactly where it stands may keep a copy without the
// frame.)
QRect QtFrame(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameGeometry() : QRect();
}

// The frame of a shown window once it is framed and at the place expected
// of it, and Qt has learnt that frame too (for a few seconds at most: then
// where it is).  Qt reads the frame's extents from the window manager's
// events as they come, so on a busy machine it may know them some time after
// the X server holds the frame.
QRect SettledFrame(const QWidget& window, const std::function<QRect(const QRect&)>& expected)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000) {
        if (Framed(window)) {
            const QRect frame = XFrame(window);
            if (frame == expected(frame) && QtFrame(window) == frame)
                break;
        }
        QTest::qWait(10);
    }
    // Whatever follows at once follows now.
    QTest::qWait(150);
    return XFrame(window);
}

// A picture of the whole screen, for a person to look at.
void PictureOfTheScreen(const QString& name)
{
    const QString folder = QString::fromLocal8Bit(QV_FRAME_PICTURES);
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(path, "PNG"))
        ADD_FAILURE() << "the picture " << path.toStdString() << " is not saved";
}

// What a modal window showed: its title, its frame once centred, and the
// frame Qt and the platform's bounds give it.
struct Shown {
    QString title;
    QRect frame;
    QRect bounds;
    QRect qtFrame;
};

// Opens a modal window of class Window through `open`, takes what it shows
// once it is up and framed (and a picture of the screen, when named), then
// closes it.
template <class Window>
Shown ShownModal(const std::function<void()>& open, const QString& picture = {})
{
    Shown shown;
    WhenModalUp<Window>([&shown, picture](Window& window) {
        shown.title = window.windowTitle();
        shown.frame = SettledFrame(window, CentredOnScreen);
        shown.bounds = platform::WindowBounds(window);
        shown.qtFrame = QtFrame(window);
        if (!picture.isEmpty())
            PictureOfTheScreen(picture);
        window.done(QDialog::Rejected);
    });
    open();
    return shown;
}

void ExpectCentred(const Shown& shown, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(shown.frame, CentredOnScreen(shown.frame)) << shown.title.toStdString();
    EXPECT_EQ(shown.bounds, shown.frame) << "the platform's bounds are the frame";
    EXPECT_EQ(shown.qtFrame, shown.frame) << "Qt's frame is the window manager's";
}

class WindowFrames : public ::testing::Test {
protected:
    MainWindowSite network;
    ScopedSystemFunctions bound;
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override
    {
        ASSERT_TRUE(WindowManagerRuns()) << "no window manager frames the windows";
        main = std::make_unique<TfrmQORVMain>();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TfrmLogView* OpenApplicationLog()
    {
        main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
        return main->LogWindows().size() == 1 ? main->LogWindows().front() : nullptr;
    }
};

TEST_F(WindowFrames, TheMainWindowsFrameFillsTheScreenAboveTheTaskBarStrip)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect expected(screen.left(), screen.top(), screen.width(), screen.height() - 40);
    const QRect frame = SettledFrame(*main, [&expected](const QRect&) { return expected; });
    PictureOfTheScreen(QStringLiteral("main-window"));
    EXPECT_EQ(frame, expected) << "the title bar at the top of the screen, the bottom edge 40 pixels above its bottom";
    EXPECT_GT(main->geometry().top(), frame.top()) << "the title bar is above the inner area";
    EXPECT_EQ(platform::WindowBounds(*main), expected);
    EXPECT_EQ(QtFrame(*main), expected);

    // The View menu, whose Newest First and Oldest First carry radio marks.
    ASSERT_NE(OpenApplicationLog(), nullptr);
    main->menuBar()->setActiveAction(main->mmView()->menuAction());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main->mmView()));
    QTest::qWait(200);
    PictureOfTheScreen(QStringLiteral("view-menu"));
    main->mmView()->hide();
}

TEST_F(WindowFrames, ReusedDialogsAreCentredByTheirFrameEveryTime)
{
    ASSERT_NE(OpenApplicationLog(), nullptr);
    TNTBrowseNetForm browse;
    struct Case {
        const char* what;
        std::function<std::vector<Shown>()> twice;
    };
    auto opened = [](auto show) {
        std::vector<Shown> shown;
        for (int time = 1; time <= 2; ++time)
            shown.push_back(show(time));
        return shown;
    };
    const Case cases[] = {
        {"Log Properties",
         [&] {
             return opened([&](int time) {
                 return ShownModal<TfrmLogProperties>([&] { main->actLogProperties()->trigger(); },
                                                      QStringLiteral("log-properties-%1").arg(time));
             });
         }},
        {"Filter",
         [&] { return opened([&](int) { return ShownModal<TfrmFilterDesign>([&] { main->actFilter()->trigger(); }); }); }},
        {"Open Log",
         [&] { return opened([&](int) { return ShownModal<TfrmCompBrowse>([&] { main->actOpenLog()->trigger(); }); }); }},
        {"Select Computer",
         [&] {
             return opened([&](int) { return ShownModal<TSelectCompForm>([&] { main->actAddComputer()->trigger(); }); });
         }},
        {"Browse For Network Computers",
         [&] { return opened([&](int) { return ShownModal<TNTBrowseNetForm>([&] { browse.exec(); }); }); }},
        {"About",
         [&] { return opened([&](int) { return ShownModal<TAboutForm>([&] { main->mmitAbout()->trigger(); }); }); }},
        {"the report's progress window",
         [&] {
             return opened([&](int) {
                 return ShownModal<report::TrpProgressForm>([&] { report::EngineProgressForm().exec(); });
             });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Shown> shown = c.twice();
        ASSERT_EQ(shown.size(), 2u);
        ExpectCentred(shown[0], "the first time");
        ExpectCentred(shown[1], "the second time");
        EXPECT_EQ(shown[0].frame, shown[1].frame) << "the same place both times";
    }
}

TEST_F(WindowFrames, MessageBoxesAndTheEnginesDialogsAreCentredByTheirFrame)
{
    report::TrpPrinter printer;
    report::TrpDialogQuestions questions;
    struct Case {
        const char* what;
        std::function<Shown()> show;
    };
    const Case cases[] = {
        {"message box",
         [&] {
             return ShownModal<QMessageBox>([&] {
                 UserPrompts().MessageBox(main.get(), QStringLiteral("Event log Application on WKS1 is not accessible!"),
                                          QStringLiteral("Quellvane"), MB_OK | MB_ICONERROR);
             });
         }},
        {"message box with a check box",
         [&] {
             return ShownModal<TMessageBoxWithCheck>([&] {
                 bool ticked = false;
                 UserPrompts().MessageBoxWithCheck(QStringLiteral("Do you really want to quit?"),
                                                   QStringLiteral("Quellvane"), MB_YESNO | MB_ICONQUESTION, ticked,
                                                   QStringLiteral("Don't ask me again"));
             });
         }},
        {"the engine's message box",
         [&] {
             return ShownModal<QMessageBox>([&] {
                 report::ShowMessageBox(nullptr, QMessageBox::Warning, QStringLiteral("Print"),
                                        QStringLiteral("Wrong page range"), QMessageBox::Ok);
             });
         }},
        {"a report's message box",
         [&] { return ShownModal<QMessageBox>([&] { questions.MessageBox("Go on?", "Report", 0x24); }); }},
        {"a report's input box",
         [&] { return ShownModal<QInputDialog>([&] { questions.InputBox("Report", "Name:", "SRV1"); }); }},
        {"print dialog",
         [&] {
             report::TrpPrintForm form(printer);
             return ShownModal<report::TrpPrintForm>([&] { form.exec(); });
         }},
        {"password dialog",
         [&] {
             report::TrpPasswForm form;
             return ShownModal<report::TrpPasswForm>([&] { form.exec(); });
         }},
        {"the preview's Find text dialog",
         [&] {
             report::TrpPreviewSearchForm form;
             return ShownModal<report::TrpPreviewSearchForm>([&] { form.exec(); });
         }},
    };
    for (const Case& c : cases)
        ExpectCentred(c.show(), c.what);
}

TEST_F(WindowFrames, TheEnginesWindowPlacementIsTheFrame)
{
    // The bounds kept in the user's registry are the window's outer
    // rectangle, both ways.
    HKEY key = nullptr;
    ASSERT_EQ(platform::RegCreateKeyExA(HKEY_CURRENT_USER, report::FormPlacementKey("TrpPreviewForm").c_str(), 0,
                                        nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : {std::pair("XPosition", "100"), std::pair("YPosition", "80"),
                                      std::pair("Width", "600"), std::pair("Height", "400"),
                                      std::pair("Maximized", "0")})
        ASSERT_EQ(platform::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                           static_cast<DWORD>(std::strlen(value) + 1)),
                  ERROR_SUCCESS);
    platform::RegCloseKey(key);

    QDialog window;
    window.resize(300, 200);
    window.setWindowState(Qt::WindowMaximized);
    report::RestoreFormPlacement(window, "TrpPreviewForm");
    window.show();
    const QRect restored(100, 80, 600, 400);
    EXPECT_EQ(SettledFrame(window, [&restored](const QRect&) { return restored; }), restored);
    EXPECT_FALSE(window.isMaximized());

    // Moved as the program moves a window: by its outer rectangle.  (Qt's
    // own move of a shown window asks the window manager to place the frame
    // there, and the window manager may still take it for the inner area's
    // place.)
    const QRect moved(150, 90, 600, 400);
    platform::SetWindowBounds(window, moved);
    EXPECT_EQ(SettledFrame(window, [&moved](const QRect&) { return moved; }), moved);
    report::SaveFormPlacement(window, "TrpPreviewForm");
    QDialog next;
    report::RestoreFormPlacement(next, "TrpPreviewForm");
    next.show();
    EXPECT_EQ(SettledFrame(next, [&moved](const QRect&) { return moved; }), moved) << "saved as it was shown";
}

// On a busy machine the window manager may answer a request to place a
// window late, and put it where an earlier request asked for, after the
// window is already where it belongs: the window goes back.
TEST_F(WindowFrames, AWindowTheWindowSystemMovesAsItShowsGoesBack)
{
    QInputDialog box;
    box.setWindowTitle(QStringLiteral("Report"));
    box.setLabelText(QStringLiteral("Name:"));
    platform::CentreOnScreenWhenShown(box);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    // The move comes from the window system: the widget learns of it only
    // when the native window tells it.
    box.windowHandle()->setPosition(box.geometry().topLeft() - QPoint(1, 20));
    const QRect frame = SettledFrame(box, CentredOnScreen);
    EXPECT_EQ(frame, CentredOnScreen(frame));
    EXPECT_EQ(platform::WindowBounds(box), frame);
}

// On a busy machine the window manager may frame a window some time after
// the program shows it: the window is still centred by its frame.
TEST_F(WindowFrames, AWindowFramedLateIsCentredByItsFrame)
{
    const char* pid = std::getenv("QV_WINDOW_MANAGER_PID");
    ASSERT_NE(pid, nullptr) << "the window manager's process is not named";
    const pid_t windowManager = static_cast<pid_t>(std::atoi(pid));
    QInputDialog box;
    box.setWindowTitle(QStringLiteral("Report"));
    box.setLabelText(QStringLiteral("Name:"));
    platform::CentreOnScreenWhenShown(box);
    ASSERT_EQ(::kill(windowManager, SIGSTOP), 0);
    box.show();
    // Longer than the placer waits for the frame of a window it sees exposed.
    QTest::qWait(1500);
    ASSERT_EQ(::kill(windowManager, SIGCONT), 0);
    const QRect frame = SettledFrame(box, CentredOnScreen);
    EXPECT_EQ(frame, CentredOnScreen(frame));
    EXPECT_EQ(platform::WindowBounds(box), frame);
    EXPECT_EQ(QtFrame(box), frame);
}

} // namespace

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // The window manager may still be starting.
    QElapsedTimer waited;
    waited.start();
    while (!WindowManagerRuns() && waited.elapsed() < 20'000)
        QTest::qWait(50);
    return RUN_ALL_TESTS();
}
