#include "EventExport.h"

#include "ReportBridge.h"
#include "common.h"

#include "platform/QtFileIo.h"

#include <string_view>
#include <vector>

namespace {

// Lines written in large pieces through a file that replaces its target
// only when committed.
class TExportFile {
public:
    explicit TExportFile(const QString& path)
        : file_(path)
    {
        if (!file_.open())
            fail();
        buffer_.reserve(kChunk + 4096);
    }

    void Line(std::string_view text)
    {
        buffer_.append(text);
        buffer_.append("\r\n");
        if (buffer_.size() >= kChunk)
            Flush();
    }
    std::string& Pending() { return buffer_; }
    void EndLine()
    {
        buffer_.append("\r\n");
        if (buffer_.size() >= kChunk)
            Flush();
    }

    void Commit()
    {
        Flush();
        if (!file_.commit())
            fail();
    }

private:
    static constexpr std::size_t kChunk = 256 * 1024;

    void Flush()
    {
        if (!file_.write(buffer_.data(), static_cast<qint64>(buffer_.size())))
            fail();
        buffer_.clear();
    }

    [[noreturn]] void fail()
    {
        throw EExportError(
            QStringLiteral("Cannot write \"%1\": %2").arg(file_.fileName(), file_.errorString()).toStdString());
    }

    platform::CheckedSaveFile file_;
    std::string buffer_;
};

// The exported columns, in order.
std::vector<int> exportedColumns()
{
    std::vector<int> columns;
    for (int column : kExportColumnMap)
        if (column >= 0)
            columns.push_back(column);
    return columns;
}

// Whether text[i] starts a character that the exports write as one blank:
// a control character of C0 (TAB, CR and LF among them), DEL, or of C1
// (U+0080 to U+009F, two bytes in UTF-8), which HTML does not allow;
// `length` is its length in bytes.
bool isControl(std::string_view text, std::size_t i, std::size_t& length)
{
    const auto c = static_cast<unsigned char>(text[i]);
    length = 1;
    if (c < 0x20 || c == 0x7F)
        return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
        length = 2;
        return true;
    }
    return false;
}

// Appends a value on one line: each TAB, CR, LF or CR LF a blank, and in
// HTML the characters of markup as entities and every other control
// character a blank.
void appendOneLine(std::string& out, std::string_view text, bool html)
{
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* entity = nullptr;
        std::size_t length = 1;
        if (html) {
            switch (c) {
            case '&':
                entity = "&amp;";
                break;
            case '<':
                entity = "&lt;";
                break;
            case '>':
                entity = "&gt;";
                break;
            case '"':
                entity = "&quot;";
                break;
            default:
                if (!isControl(text, i, length))
                    continue;
            }
        } else if (c != '\t' && c != '\r' && c != '\n') {
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            length = 2; // one line break
        out.append(text.substr(from, i - from));
        out += entity ? entity : " ";
        i += length - 1;
        from = i + 1;
    }
    out.append(text.substr(from));
}

// The text of a cell as the exports write it: the category trimmed as the
// list shows it, on one line; an empty cell of HTML is "&nbsp;".
void appendCell(std::string& out, TReportRows& rows, int column, report::Variant& value, bool html)
{
    value = report::Variant();
    rows.GetValue(kReportColumns[static_cast<std::size_t>(column)].valueName, value);
    std::string converted;
    std::string_view text = value.isText() ? std::string_view(value.textValue())
                                           : std::string_view(converted = value.toText());
    if (column == kCategoryColumn)
        text = TrimTextView(text);
    if (html && text.empty())
        out += "&nbsp;";
    else
        appendOneLine(out, text, html);
}

} // namespace

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 16);
    appendOneLine(out, text, true);
    return out;
}

void ExportRowsToHtml(const QString& path, const QString& caption, TReportRows& rows, bool striped, int border)
{
    TExportFile file(path);
    const std::string title = EscapeHtml(caption.toStdString());
    file.Line("<html>");
    file.Line("<head>");
    file.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    file.Line("<title>" + title + "</title>");
    file.Line("</head>");
    file.Line("<body>");
    file.Line("<h2>Event Log: " + title + "</h2>");
    file.Line("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" border=\"" + std::to_string(border) + "\">");
    const std::vector<int> columns = exportedColumns();
    file.Line("  <tr>");
    for (int column : columns)
        file.Line(std::string("    <td><b>") + EscapeHtml(kReportColumns[static_cast<std::size_t>(column)].header) +
                  "</b></td>");
    file.Line("  </tr>");
    report::Variant value;
    bool odd = true;
    rows.First();
    while (!rows.CheckEOF()) {
        file.Line(striped && odd ? "  <tr bgcolor=\"#CCCCCC\">" : "  <tr >");
        for (int column : columns) {
            std::string& out = file.Pending();
            out += "    <td>";
            appendCell(out, rows, column, value, true);
            out += "</td>";
            file.EndLine();
        }
        file.Line("  </tr>");
        odd = !odd;
        rows.Next();
    }
    file.Line("</table>");
    file.Line("</body>");
    file.Line("</html>");
    file.Commit();
}

void ExportRowsToText(const QString& path, TReportRows& rows)
{
    TExportFile file(path);
    const std::vector<int> columns = exportedColumns();
    std::string header;
    for (int column : columns) {
        if (!header.empty())
            header += '\t';
        header += kReportColumns[static_cast<std::size_t>(column)].header;
    }
    file.Line(header);
    file.Line("");
    report::Variant value;
    rows.First();
    while (!rows.CheckEOF()) {
        std::string& out = file.Pending();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += '\t';
            appendCell(out, rows, columns[i], value, false);
        }
        file.EndLine();
        rows.Next();
    }
    file.Commit();
}
