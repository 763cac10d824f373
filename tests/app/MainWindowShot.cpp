// qv_main_window_shot: starts the main window on a real display (the test
// runs it under Xvfb), opens the Application log of the local computer,
// selects its newest event, saves a picture of the whole window, checks the
// title the window manager shows and quits through File > Quit; its exit
// code is the program's.
//
//   qv_main_window_shot OUTPUT.png
//
// The site is the one the platform finds (the test names it through
// QUELLVANE_SITE).  Any message box that the program would show makes the
// run fail: its text is printed and the answer is OK.

#include "app/Application.h"
#include "app/UserPrompts.h"
#include "app/browsent.h"
#include "app/logview.h"
#include "app/main.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/MessageBoxTypes.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMdiArea>
#include <QPixmap>
#include <QSet>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcb.h>

namespace {

// Answers every message box with OK (Yes for a question) and remembers it.
class RecordingPrompts : public TUserPrompts {
public:
    int shown = 0;

    int MessageBox(QWidget*, const QString& text, const QString& caption, UINT flags) override
    {
        report(text, caption);
        return (flags & MB_TYPEMASK) == MB_OK ? IDOK : IDYES;
    }
    int MessageBoxWithCheck(const QString& text, const QString& caption, UINT, bool&, const QString&) override
    {
        report(text, caption);
        return IDYES;
    }

private:
    void report(const QString& text, const QString& caption)
    {
        ++shown;
        std::fprintf(stderr, "message box \"%s\": %s\n", qPrintable(caption), qPrintable(text));
    }
};

// The UTF-8 title that the X server holds for a window (_NET_WM_NAME).
QString X11WindowTitle(WId window)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return {};
    xcb_connection_t* connection = x11->connection();
    const auto atom = [connection](const char* name) {
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, static_cast<xcb_window_t>(window), atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply)
        return {};
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
}

int fail(const char* why)
{
    std::fprintf(stderr, "qv_main_window_shot: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_main_window_shot OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    ScopedSystemFunctions bound;
    TApplication application(argc, argv);
    RecordingPrompts prompts;
    ScopedUserPrompts usePrompts(prompts);

    auto* main = application.CreateForm<TfrmQORVMain>();
    application.CreateForm<TSelectCompForm>();
    application.CreateForm<TNTBrowseNetForm>();
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        return fail("the main window was never shown");

    QTreeWidgetItem* local = main->tvComputers()->topLevelItem(0);
    if (!local)
        return fail("the tree holds no computer");
    main->tvComputers()->expandItem(local);
    main->tvComputers()->setCurrentItem(local);

    main->OpenLog(main->LocalName(), QStringLiteral("Application"), olmReuse);
    const std::vector<TfrmLogView*> windows = main->LogWindows();
    if (windows.size() != 1)
        return fail("no log window was opened");
    TfrmLogView* window = windows.front();
    window->showMaximized();
    window->lvLog()->selectRow(0);
    window->lvLog()->setFocus();
    QTest::qWait(300);
    // The look the platform set, for the test to check.
    std::fprintf(stderr, "look: %s\n", qPrintable(QApplication::style()->name()));

    const QPixmap shot = main->grab();
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    if (image.isNull() || colours.size() < 8)
        return fail("the picture is empty");
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!shot.save(output, "PNG"))
        return fail("the picture could not be saved");
    std::fprintf(stderr, "%s: %dx%d, %s with %d event(s)\n", qPrintable(output), image.width(), image.height(),
                qPrintable(window->windowTitle()), window->Model().rowCount());
    if (prompts.shown > 0)
        return fail("the program showed a message box");

    // The title the window manager shows is the window's own, with the
    // maximised log window's caption in brackets and nothing appended.
    const QString expectedTitle = QStringLiteral("Quellvane - [%1]").arg(window->windowTitle());
    const QString shownTitle = X11WindowTitle(main->winId());
    std::fprintf(stderr, "title: %s\n", qPrintable(shownTitle));
    if (shownTitle != expectedTitle)
        return fail("the title bar does not read \"Quellvane - [<log window's caption>]\"");

    // Then File > Quit, answered Yes, as a user ends the program: the
    // event loop ends, and so does the program, with 0.
    QTimer::singleShot(0, main->mmitQuit(), &QAction::trigger);
    const int code = application.exec();
    if (main->isVisible())
        return fail("File > Quit left the main window open");
    std::fprintf(stderr, "File > Quit: the event loop ended with %d\n", code);
    return code;
}
