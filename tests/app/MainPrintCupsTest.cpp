// File > Print of the main window on the private print server: the event
// list of a generated log goes through the print dialog to the capture
// queue, and the job comes back as a PDF whose pages, column headers,
// "Page k of n" lines and rows are read with pdfinfo and pdftotext.

#include "AppFakes.h"
#include "NumberedLogSite.h"
#include "PrivateCups.h"
#include "WhenShown.h"

#include "app/main.h"

#include "ntlib/FunctionBinding.h"

#include "report/RP_Class.h"
#include "report/RP_PrDlg.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace report;

class MainPrintCupsTest : public ::testing::Test {
protected:
    static constexpr int kEvents = 150;
    PrivateCups cups;
    NumberedLogSite network{kEvents};
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::unique_ptr<TfrmQORVMain> main;

    void SetUp() override
    {
        if (!cups.Available())
            GTEST_SKIP() << "no private print server on this machine: " << cups.Reason().toStdString();
        main = std::make_unique<TfrmQORVMain>();
        main->show();
    }

    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(MainPrintCupsTest, TheEventListPrintsThroughThePrintDialog)
{
    main->OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmNewWindow);
    ASSERT_TRUE(main->actPrint()->isEnabled());

    bool asked = false;
    WhenModalUp<TrpPrintForm>([&](TrpPrintForm& dialog) {
        asked = true;
        const int queue = dialog.CB1->findText(QString::fromLatin1(PrivateCups::kQueue));
        ASSERT_GE(queue, 0);
        dialog.CB1->setCurrentIndex(queue);
        dialog.Button1->click();  // OK
    });
    const QStringList before = cups.Jobs();
    main->actPrint()->trigger();
    ASSERT_TRUE(asked);
    EXPECT_TRUE(prompts.asked.empty());
    const QString job = cups.WaitForNewJob(before);
    ASSERT_FALSE(job.isEmpty()) << "no job came back";

    const int pages = static_cast<int>(main->repCommon()->EMFPages->Count());
    ASSERT_GE(pages, 2);
    EXPECT_EQ(PrivateCups::PdfPageCount(job), pages);
    const QString text = PrivateCups::PdfText(job);
    EXPECT_TRUE(text.contains(QStringLiteral("Event Log: Application on WKS1")));
    EXPECT_EQ(text.count(QRegularExpression(
                  QStringLiteral(R"(Type\s+Date\s+Time\s+Event\s+Source\s+Category\s+Domain\\User\s+Computer)"))),
              pages);
    const QStringList sheets = text.split(QChar('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(sheets.size(), pages);
    for (int k = 1; k <= pages; ++k)
        EXPECT_TRUE(sheets[k - 1].contains(QStringLiteral("Page %1 of %2").arg(k).arg(pages))) << k;

    // The rows in the list's order: the event number before the source on
    // every row.
    const QRegularExpression row(QStringLiteral(R"((Error|Warning)\s.*\s(\d+)\s+Tester\s)"));
    int next = 1;
    for (const QString& line : text.split(QChar('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        EXPECT_EQ(match.captured(2).toInt(), next) << line.toStdString();
        EXPECT_EQ(match.captured(1), next % 2 == 0 ? "Warning" : "Error") << line.toStdString();
        ++next;
    }
    EXPECT_EQ(next, kEvents + 1);
}

} // namespace
