#pragma once
// The HTML and tab-separated text exports of a log window's events: rows
// read through the report bridge (ReportBridge.h), one line each, every
// line ending with CR LF.
//
// A file is written beside its target and put in its place only once it is
// whole (through a symbolic link to the link's target, keeping the mode of
// a file that was there), so a failed export leaves the earlier file as it
// was.  Values are made safe for their format: texts are escaped in HTML,
// and a TAB or a line break inside a value becomes one blank, so each row
// is one line with the right number of columns.

#include <QString>

#include <stdexcept>
#include <string>

class TReportRows;

// An export that could not be written; the message names the file.
class EExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `caption` is the log window's caption.  Rows alternate their background
// when `striped`; `border` is the table's border width.
void ExportRowsToHtml(const QString& path, const QString& caption, TReportRows& rows, bool striped, int border);
void ExportRowsToText(const QString& path, TReportRows& rows);

// A value as one line of a row in HTML: each TAB, CR, LF or CR LF a
// blank, and "&", "<", ">" and '"' as entities.
std::string EscapeHtml(const std::string& text);
