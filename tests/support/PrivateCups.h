#pragma once
// The private CUPS print server that CTest starts for the printing tests
// (fixture private_cups, tools/cups/private-cups.sh), and reading back the
// jobs its capture queue keeps.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// A word of a PDF page as pdftotext -bbox places it: its box in points
// from the page's top left corner, and its text.
struct PdfWord {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

class PrivateCups {
public:
    static constexpr const char* kQueue = "QvCapture";

    // Reads QV_CUPS_DIR.  When the server runs, points this process at it
    // (CUPS_SERVER): call before the first use of Qt's print support.
    PrivateCups();

    bool Available() const { return available_; }
    // Why the server is not available (for the skip message).
    const QString& Reason() const { return reason_; }

    // The captured jobs' files, oldest first.
    QStringList Jobs() const;
    // Waits until a job that is not in `before` has been captured and the
    // queue is idle; empty when none came within the time-out.
    QString WaitForNewJob(const QStringList& before, int timeoutMs = 60000) const;

    // pdfinfo's "Pages:" of a file; -1 when it cannot be read.
    static int PdfPageCount(const QString& file);
    // pdftotext's text of a file, the layout kept.
    static QString PdfText(const QString& file);
    // The words of each page of a file, in pdftotext's reading order; no
    // pages when the file cannot be read.
    static std::vector<std::vector<PdfWord>> PdfWords(const QString& file);
    // A page of a file (from 1) as pdftoppm renders it at a resolution in
    // dots per inch, as a PNG file's bytes; empty when it cannot be rendered.
    static QByteArray PdfPagePng(const QString& file, int page, int dpi);

private:
    QString dir_;
    bool available_ = false;
    QString reason_;
};
