// The main window's report: the component and data set through which the
// report engine prints and previews the event list of the active log
// window, the template the window carries (resources/report/
// main-report.rpf, written by tools/reporttemplate), the character set of
// its texts, and the Print Preview and Print commands.
//
// The engine reads the events through the report bridge (MainExport.cpp):
// the data set's events move the active window's cursor and the report
// asks the value provider first for every bracketed name.

#include "main.h"

#include "logview.h"

#include "report/RP_Class.h"
#include "report/RpLocale.h"
#include "report/RpQtPrinters.h"

#include <QAction>

#include <QFile>
#include <QLocale>

namespace {

// The stored template, as the window's layout carries it.
constexpr char kStoredTemplate[] = ":/forms/main-report.rpf";

// The texts whose character set follows the system's: the title, the
// column names and the row fields.
constexpr int kLastFixedMemo = 17;

} // namespace

void TfrmQORVMain::CreateReportComponents()
{
    // The printer model knows the system's printers before the template's
    // page takes its paper from the current one.
    report::AttachSystemPrinters();

    dsCommon_ = new report::TrpUserDataset(this);
    dsCommon_->setObjectName(QStringLiteral("dsCommon"));

    repCommon_ = new report::TrpReport(this);
    repCommon_->setObjectName(QStringLiteral("repCommon"));
    repCommon_->Dataset = dsCommon_;
    repCommon_->InitialZoom = report::pzDefault;
    using namespace report::PreviewButton;
    repCommon_->PreviewButtons = pbZoom | pbPrint | pbFind | pbExit | pbPageSetup;
    repCommon_->StoreInDFM = true;
    repCommon_->RebuildPrinter = false;
    // The footer's date and time read as the user's, like the list's.
    repCommon_->Settings = report::LocaleFormatSettings(QLocale());

    dsCommon_->OnFirst = [this](report::TrpDataset&) { dsCommonFirst(); };
    dsCommon_->OnNext = [this](report::TrpDataset&) { dsCommonNext(); };
    dsCommon_->OnCheckEOF = [this](report::TrpDataset&, bool& eof) { dsCommonCheckEOF(eof); };
    repCommon_->OnGetValue = [this](const std::string& name, report::Variant& value) {
        repCommonGetValue(name, value);
    };

    QFile file(QString::fromLatin1(kStoredTemplate));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        report::TrpStream stream(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        stream.InMemory = true;  // never asks for a password
        repCommon_->ReadTemplate(stream);
    }
}

void TfrmQORVMain::FixReportCharset()
{
    for (int n = 0; n <= kLastFixedMemo; ++n)
        if (auto* memo = dynamic_cast<report::TrpMemoView*>(repCommon_->FindView("Memo" + std::to_string(n))))
            memo->Font.Charset = report::kDefaultCharset;
}

void TfrmQORVMain::BindPrintCommands()
{
    Bind(actPrintPreview_, [this] { actPrintPreviewExecute(); });
    Bind(actPrint_, [this] { actPrintExecute(); });
}

void TfrmQORVMain::actPrintPreviewExecute()
{
    if (WholeLogWindow() != nullptr)
        repCommon_->PreviewReport();
}

void TfrmQORVMain::actPrintExecute()
{
    if (WholeLogWindow() != nullptr && repCommon_->Prepare())
        repCommon_->PrintWithDialog();
}
