#pragma once
// An export filter: what a report's prepared pages are exported through
// (TrpReport::ExportWithFilter).  The run creates the file and hands it to
// the filter, then walks the pages: every object of a page comes to
// OnData at its place, and every line of a text object to OnText.  A
// filter is a subclass of its own; the filters registered with the engine
// are offered by the preview's Save.  The program registers none.

#include <QRect>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QIODevice;

namespace report {

class TrpView;

class TrpExportFilter {
public:
    // The answer of the setup that lets the export go on.
    static constexpr int kOk = 1;

    TrpExportFilter() = default;
    virtual ~TrpExportFilter() = default;
    TrpExportFilter(const TrpExportFilter&) = delete;
    TrpExportFilter& operator=(const TrpExportFilter&) = delete;

    // Asked before the export begins (a filter's options dialog): kOk goes
    // on, anything else ends the export without a file.
    virtual int ShowModal() { return kOk; }
    virtual void OnBeginDoc() {}
    virtual void OnEndDoc() {}
    virtual void OnBeginPage() {}
    virtual void OnEndPage() {}
    // An object of the page, at its place in report pixels.
    virtual void OnData(int x, int y, TrpView& view)
    {
        (void)x;
        (void)y;
        (void)view;
    }
    // One line of a text object: the rectangle the text is clipped to,
    // where the line starts, its text and the frame lines (FrameLine bits)
    // that belong to it.
    virtual void OnText(const QRect& clip, int x, int y, const std::string& text, std::uint16_t frameLines,
                        TrpView& view)
    {
        (void)clip;
        (void)x;
        (void)y;
        (void)text;
        (void)frameLines;
        (void)view;
    }

    // The file being exported to, and while the export runs, the device
    // that writes it (the run creates and closes it).
    std::string FileName;
    QIODevice* Stream = nullptr;

    // Before the export: go may be set to false to leave it.  After the
    // export: the file's name.
    std::function<void(const std::string& fileName, bool& go)> OnBeforeExport;
    std::function<void(const std::string& fileName)> OnAfterExport;

    // The preview's Save chooses the first registered filter marked so.
    bool Default = false;
};

// A registered filter with what the preview's Save offers for it.
struct TrpExportFilterEntry {
    TrpExportFilter* Filter;  // not owned
    std::string Description;  // "Text file"
    std::string Mask;         // "*.txt"
};

// The filters registered with the engine, in the order of registration.
// A filter unregisters itself before it goes.
void RegisterExportFilter(TrpExportFilter& filter, const std::string& description, const std::string& mask);
void UnregisterExportFilter(TrpExportFilter& filter);
const std::vector<TrpExportFilterEntry>& ExportFilters();

} // namespace report
