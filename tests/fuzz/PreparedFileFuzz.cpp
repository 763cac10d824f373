// Random prepared-report files through the reader.  The pages it keeps are
// drawn and hit-tested; then everything is written, must read back whole
// and write the same bytes again.  A page's objects are also stored back
// into a copy of its stream (which may then hold what a reader refuses:
// drawing lets a self-sizing text grow without bound).  A damaged file must end in a
// status, never in a crash, a hang or a huge allocation.
#include "report/RP_Class.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using namespace report;

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Links are never opened while fuzzing.
struct Owner : TrpPreparedOwner {
    void OpenWebAddress(const std::string&) override {}
};

constexpr std::size_t kPagesDrawn = 4;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(Quiet);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (QGuiApplication::instance() == nullptr) {
        // Replayed without libFuzzer's initialisation.
        static int argc = 1;
        static char name[] = "prepared_file_fuzz";
        static char* argv[] = {name, nullptr};
        char** args = argv;
        LLVMFuzzerInitialize(&argc, &args);
    }

    Owner owner;
    TrpEMFPages pages(&owner);
    TrpStream input(std::vector<std::uint8_t>(data, data + size));
    if (pages.ReadPrepared(input).Status == TrpPreparedStatus::Compressed)
        return 0;

    QImage image(48, 64, QImage::Format_RGB32);
    for (std::size_t i = 0; i < pages.Count() && i < kPagesDrawn; ++i) {
        pages.PageRecord(i).Visible = true;
        {
            QPainter painter(&image);
            pages.PaintPage(i, painter, image.rect());
        }
        std::string link;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        for (const QPoint point : {QPoint(5, 5), QPoint(100, 200), QPoint(400, 700)}) {
            pages.HitTest(i, point, link, cursor, true);
            pages.HitTest(i, point, link, cursor, false);
        }
        const TrpStream content = pages.PageRecord(i).Content;
        try {
            pages.StorePage(i);
        } catch (const EWriteError&) {
        }
        pages.PageRecord(i).Content = content;
        pages.ReleasePage(i);
    }

    TrpStream written;
    try {
        pages.WritePrepared(written);
    } catch (const EWriteError&) {
        return 0;
    }
    TrpEMFPages again(&owner);
    if (again.ReadPrepared(written).Status != TrpPreparedStatus::Loaded || again.Count() != pages.Count())
        __builtin_trap();  // what this writer wrote must read back
    TrpStream rewritten;
    again.WritePrepared(rewritten);
    if (rewritten.Bytes() != written.Bytes())
        __builtin_trap();
    return 0;
}
