// The main window's report bridge and its exports: the values of the
// active log window's events by name, the data set's cursor over them, and
// the HTML and text files made from them.

#include "main.h"

#include "EventExport.h"
#include "UserPrompts.h"
#include "logview.h"

#include <QAction>

namespace {

// The bridge as the exports read it: the main window's data-set events and
// value provider.
class TMainWindowRows final : public TReportRows {
public:
    explicit TMainWindowRows(TfrmQORVMain& main)
        : main_(main)
    {
    }
    void First() override { main_.dsCommonFirst(); }
    void Next() override { main_.dsCommonNext(); }
    bool CheckEOF() override
    {
        bool eof = true;
        main_.dsCommonCheckEOF(eof);
        return eof;
    }
    void GetValue(const std::string& name, report::Variant& value) override { main_.repCommonGetValue(name, value); }

private:
    TfrmQORVMain& main_;
};

} // namespace

void TfrmQORVMain::repCommonGetValue(const std::string& name, report::Variant& value)
{
    TfrmLogView* window = ActiveLogWindow();
    if (!window)
        return;
    if (name == "EventLogTitle") {
        value = report::Variant(("Event Log: " + window->windowTitle()).toStdString());
        return;
    }
    const std::vector<TEventItem*>& events = window->Events();
    const int cursor = window->ReportCursor();
    if (cursor < 0 || static_cast<std::size_t>(cursor) >= events.size())
        return; // no event at the cursor: nothing to answer
    reportValues_.Value(*events[static_cast<std::size_t>(cursor)], name, value);
}

void TfrmQORVMain::dsCommonFirst()
{
    if (TfrmLogView* window = ActiveLogWindow()) {
        window->SetReportCursor(0);
        reportValues_.Clear();
    }
}

void TfrmQORVMain::dsCommonNext()
{
    if (TfrmLogView* window = ActiveLogWindow())
        window->SetReportCursor(window->ReportCursor() + 1);
}

void TfrmQORVMain::dsCommonCheckEOF(bool& eof)
{
    TfrmLogView* window = ActiveLogWindow();
    eof = !window || window->ReportCursor() >= static_cast<int>(window->Events().size());
}

void TfrmQORVMain::ExportToHtml(const QString& fileName, bool striped, int border)
{
    TfrmLogView* window = WholeLogWindow();
    if (!window)
        return;
    TMainWindowRows rows(*this);
    ExportRowsToHtml(fileName, window->windowTitle(), rows, striped, border);
}

void TfrmQORVMain::ExportToText(const QString& fileName)
{
    if (!WholeLogWindow())
        return;
    TMainWindowRows rows(*this);
    ExportRowsToText(fileName, rows);
}

void TfrmQORVMain::mmitExportClick(QAction* sender)
{
    if (!WholeLogWindow())
        return;
    const bool html = sender == mmitExportToHTML_;
    const QString file = UserPrompts().GetSaveFileName(
        this, QStringLiteral("Export"), html ? QStringLiteral("HTML files (*.htm)") : QStringLiteral("Text files (*.txt)"),
        html ? QStringLiteral("htm") : QStringLiteral("txt"), true);
    if (file.isEmpty())
        return;
    if (html)
        ExportToHtml(file, true, 0);
    else
        ExportToText(file);
}
