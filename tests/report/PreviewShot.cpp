// qv_preview_shot: shows the preview window of an event-list report of 200
// events on a real display (the test runs it under Xvfb), with the
// toolbar the log explorer gives it, finds "Audit" so that a hit is
// marked, saves a picture of the whole window and closes it.
//
//   qv_preview_shot OUTPUT.png
//
// The user's registry is kept in memory: the window's placement is not
// stored anywhere.

#include "EventListPages.h"

#include "report/RP_Class.h"
#include "report/RP_View.h"

#include "platform/Registry.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include <cstdio>

namespace {

int fail(const char* why)
{
    std::fprintf(stderr, "qv_preview_shot: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_preview_shot OUTPUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    platform::SetCurrentUserRegistryFile("");

    using namespace report;
    QWidget owner;
    auto* report = new TrpReport(&owner);
    report->ModalPreview = false;
    report->PreviewButtons = PreviewButton::pbZoom | PreviewButton::pbPrint | PreviewButton::pbFind |
                             PreviewButton::pbExit | PreviewButton::pbPageSetup;
    AddEventListPages(*report->EMFPages, report->Pages.Add(), 200);

    auto* preview = new TrpPreviewForm();
    preview->ShowForReport(*report);
    preview->setWindowState(Qt::WindowNoState);
    preview->setGeometry(40, 40, 1100, 900);
    if (!QTest::qWaitForWindowExposed(preview))
        return fail("the preview was never shown");
    QTest::qWait(200);
    preview->Search.SetText("Audit", false);
    preview->Search.FromFirstPage();
    if (!preview->FindTextInPages())
        return fail("the search found nothing");
    QTest::qWait(200);

    const QPixmap shot = preview->grab();
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 5)
        for (int x = 0; x < image.width(); x += 5)
            colours.insert(image.pixel(x, y));
    if (image.isNull() || colours.size() < 8)
        return fail("the picture is empty");
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!shot.save(output, "PNG"))
        return fail("the picture could not be saved");
    std::fprintf(stderr, "qv_preview_shot: %s (%d x %d)\n", qPrintable(output), image.width(), image.height());
    preview->close();
    QCoreApplication::processEvents();
    platform::ResetCurrentUserRegistry();
    return 0;
}
