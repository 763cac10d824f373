// The main window's report: the component and data set through which the
// report engine prints and previews the event list of the active log
// window, the template the window carries (resources/report/
// main-report.rpf, written by tools/reporttemplate) and the character set
// of its texts.

#include "main.h"

#include "report/RP_Class.h"

#include <QFile>

namespace {

// The stored template, as the window's layout carries it.
constexpr char kStoredTemplate[] = ":/forms/main-report.rpf";

// The texts whose character set follows the system's: the title, the
// column names and the row fields.
constexpr int kLastFixedMemo = 17;

} // namespace

void TfrmQORVMain::CreateReportComponents()
{
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
