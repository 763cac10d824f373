// Exporting a report's prepared pages through an export filter: every
// object of every page goes to the filter, text objects line by line (the
// objects reach it through ExportObject and ExportText).

#include "RpReport.h"

#include "RpRunState.h"
#include "RpStream.h"

#include "platform/QtFileIo.h"

namespace report {

void TrpReport::ExportWithFilter(TrpExportFilter& filter, const std::string& fileName)
{
    const PagesFromPreview lent(*this);
    filter.FileName = fileName;
    bool go = true;
    if (filter.OnBeforeExport)
        filter.OnBeforeExport(fileName, go);
    if (!go || filter.ShowModal() != TrpExportFilter::kOk)
        return;

    platform::CheckedSaveFile file(QString::fromStdString(fileName));
    if (!file.open())
        throw EWriteError("Cannot create " + fileName + ": " + file.errorString().toStdString());
    TrpRunState& state = RunState();
    state.Report = this;
    state.PagesReport = this;
    MakeCurrent();
    Terminated = false;
    state.TotalPages = static_cast<std::int32_t>(EMFPages->Count());
    // The filter and the file belong to this export however it ends.
    struct ExportScope {
        TrpReport& report;
        TrpExportFilter& filter;
        ~ExportScope()
        {
            report.ExportFilter = nullptr;
            filter.Stream = nullptr;
        }
    } scope{*this, filter};
    ExportFilter = &filter;
    filter.Stream = &file.device();

    filter.OnBeginDoc();
    try {
        RunWithProgress(kProcessingPageText, false, [&] {
            for (std::size_t i = 0; i < EMFPages->Count() && !Terminated; ++i) {
                filter.OnBeginPage();
                EMFPages->ExportPage(i);
                ReportProgress(static_cast<int>(i) + 1);
                filter.OnEndPage();
            }
        });
    } catch (...) {
        file.cancel();
        throw;
    }
    filter.OnEndDoc();
    filter.Stream = nullptr;
    if (Terminated) {
        file.cancel();  // a cancelled export leaves the old file
        return;
    }
    // The filter's writes are checked there: the first that failed fails it.
    if (!file.commit())
        throw EWriteError("Cannot write " + fileName + ": " + file.errorString().toStdString());
    if (filter.OnAfterExport)
        filter.OnAfterExport(fileName);
}

} // namespace report
