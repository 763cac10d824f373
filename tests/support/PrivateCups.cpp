#include "PrivateCups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>

namespace {

QByteArray RunForBytes(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QString Run(const QString& program, const QStringList& arguments)
{
    return QString::fromUtf8(RunForBytes(program, arguments));
}

} // namespace

PrivateCups::PrivateCups()
{
    dir_ = QString::fromLocal8Bit(qgetenv("QV_CUPS_DIR"));
    if (dir_.isEmpty()) {
        reason_ = "QV_CUPS_DIR is not set: run the test through CTest";
        return;
    }
    QFile server(dir_ + "/server");
    if (!server.open(QIODevice::ReadOnly)) {
        QFile why(dir_ + "/unavailable");
        reason_ = why.open(QIODevice::ReadOnly) ? QString::fromUtf8(why.readAll()).trimmed()
                                                : "the private print server did not start";
        return;
    }
    const QByteArray address = server.readAll().trimmed();
    setenv("CUPS_SERVER", address.constData(), 1);
    available_ = true;
}

QStringList PrivateCups::Jobs() const
{
    QStringList jobs;
    const QDir out(dir_ + "/out");
    for (const QFileInfo& file : out.entryInfoList({"job-*.pdf"}, QDir::Files, QDir::Time | QDir::Reversed))
        jobs << file.absoluteFilePath();
    return jobs;
}

QString PrivateCups::WaitForNewJob(const QStringList& before, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const QString& job : Jobs())
            if (!before.contains(job))
                return job;
        QThread::msleep(100);
    }
    return {};
}

int PrivateCups::PdfPageCount(const QString& file)
{
    const QString info = Run("pdfinfo", {file});
    const QRegularExpressionMatch match = QRegularExpression(R"(^Pages:\s+(\d+))",
                                                             QRegularExpression::MultilineOption)
                                              .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PrivateCups::PdfText(const QString& file)
{
    return Run("pdftotext", {"-layout", file, "-"});
}

std::vector<std::vector<PdfWord>> PrivateCups::PdfWords(const QString& file)
{
    std::vector<std::vector<PdfWord>> pages;
    const QRegularExpression word(
        R"re(<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">(.*)</word>)re");
    for (const QString& line : Run("pdftotext", {"-bbox", file, "-"}).split(QChar('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("<page "))) {
            pages.emplace_back();
            continue;
        }
        const QRegularExpressionMatch match = word.match(line);
        if (!match.hasMatch() || pages.empty())
            continue;
        QString text = match.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        pages.back().push_back({match.captured(1).toDouble(), match.captured(2).toDouble(),
                                match.captured(3).toDouble(), match.captured(4).toDouble(), text});
    }
    return pages;
}

QByteArray PrivateCups::PdfPagePng(const QString& file, int page, int dpi)
{
    const QString number = QString::number(page);
    return RunForBytes("pdftoppm",
                       {"-png", "-singlefile", "-r", QString::number(dpi), "-f", number, "-l", number, file});
}
