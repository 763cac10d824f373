// Random template streams through the reader; what it loads is written and
// read again.  A damaged stream must end in a status, never in a crash, a
// hang or a huge allocation.
#include "report/RP_Class.h"

#include <QtGlobal>

#include <cstdint>

namespace {

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace report;
    static const bool quiet = (qInstallMessageHandler(Quiet), true);
    (void)quiet;

    TrpReportTemplate first;
    first.Now = [] { return 45000.0; };
    TrpStream input(std::vector<std::uint8_t>(data, data + size));
    const TrpTemplateStatus status = first.ReadTemplate(input);
    if (status != TrpTemplateStatus::Loaded)
        return 0;

    TrpStream written;
    try {
        first.WriteTemplate(written);
    } catch (const EWriteError&) {
        return 0;
    }
    TrpReportTemplate second;
    second.Now = first.Now;
    written.Seek(0);
    if (second.ReadTemplate(written) != TrpTemplateStatus::Loaded)
        __builtin_trap();  // what this writer wrote must read back
    TrpStream again;
    second.WriteTemplate(again);
    if (again.Bytes() != written.Bytes())
        __builtin_trap();
    return 0;
}
