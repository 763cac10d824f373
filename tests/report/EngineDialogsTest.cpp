// The print dialog over the printer model, the report password dialog and
// the display-format dialog.

#include "MouseClicks.h"
#include "ThreePrinters.h"

#include "report/RP_Ctrls.h"
#include "report/RP_PrDlg.h"
#include "report/RpFmtForm.h"
#include "report/RpFormTexts.h"
#include "report/RpPasswForm.h"

#include "report/Exceptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleHints>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

using namespace report;

namespace {

struct PrintDialog {
    ThreePrinters system;
    TrpPrinter printer;
    std::unique_ptr<TrpPrintForm> form;
    std::vector<QString> errors;

    PrintDialog()
    {
        printer.AttachPrinter(&system);
        form = std::make_unique<TrpPrintForm>(printer);
        form->ShowError = [this](const QString& message) { errors.push_back(message); };
    }
};

} // namespace

TEST(PrintDialog, OffersTheSystemsPrintersAndLoadsItsTexts)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    ASSERT_EQ(f.CB1->count(), 3) << "the virtual printer is not offered";
    EXPECT_EQ(f.CB1->itemText(2), "Labels");
    EXPECT_EQ(f.CB1->currentIndex(), 1);
    EXPECT_EQ(f.windowTitle(), "Print");
    EXPECT_EQ(f.RB3->text(), "&Pages:");
    EXPECT_EQ(f.CB2->count(), 3);
    EXPECT_EQ(f.CB2->itemText(2), "Even pages");
    EXPECT_EQ(f.CB2->geometry().left(), f.Label5->geometry().right() + 1 + 11);
    EXPECT_EQ(f.E1->text(), "1");
    EXPECT_TRUE(f.CollateCB->isChecked());
    EXPECT_TRUE(f.RB1->isChecked());
    EXPECT_EQ(f.size(), QSize(485, 225));
    EXPECT_EQ(f.rpSpeedButton1->size(), QSize(17, 8));
}

TEST(PrintDialog, CopiesSpinner)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    f.rpSpeedButton2Click();
    EXPECT_EQ(f.E1->text(), "1") << "down at 1 stays 1";
    f.rpSpeedButton1Click();
    f.rpSpeedButton1Click();
    EXPECT_EQ(f.E1->text(), "3");
    f.E1->setText("0");
    f.rpSpeedButton2Click();
    EXPECT_EQ(f.E1->text(), "1") << "0 or below becomes 1";
    f.E1->setText("-4");
    f.rpSpeedButton2Click();
    EXPECT_EQ(f.E1->text(), "1");
    f.E1->setText("many");
    f.rpSpeedButton1Click();
    EXPECT_EQ(f.E1->text(), "many") << "a text that is not a number is left alone";
    QTest::mouseClick(f.rpSpeedButton1, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(f.E1->text(), "many");
}

TEST(PrintDialog, ChoosingAPrinterSelectsItAndCancelRestoresIt)
{
    for (const bool ok : {false, true}) {
        PrintDialog d;
        TrpPrintForm& f = *d.form;
        f.CB1->setCurrentIndex(2);
        f.CB1Click(2);
        EXPECT_EQ(d.printer.PrinterIndex(), 2) << "selected at once";
        if (ok)
            f.Button1->click();
        else
            f.Button2->click();
        EXPECT_EQ(d.printer.PrinterIndex(), ok ? 2 : 1) << ok;
        EXPECT_EQ(f.result(), ok ? QDialog::Accepted : QDialog::Rejected);
    }
}

TEST(PrintDialog, PageListAndItsChecks)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    f.show();
    QTest::keyClicks(f.E2, "2-4");
    EXPECT_TRUE(f.RB3->isChecked()) << "typing into the page list checks Pages:";
    EXPECT_EQ(f.PageRangeText(), "2-4");

    for (const char* refused : {"-5", "1,,2", "x"}) {
        d.errors.clear();
        f.E2->setText(refused);
        f.Button1->click();
        EXPECT_EQ(d.errors.size(), 1u) << refused;
        EXPECT_TRUE(f.isVisible()) << refused << ": the dialog stays open";
    }
    for (const char* accepted : {"5-3", "7-", "1, 3"}) {
        d.errors.clear();
        f.E2->setText(accepted);
        f.show();
        f.Button1->click();
        EXPECT_TRUE(d.errors.empty()) << accepted;
        EXPECT_EQ(f.result(), QDialog::Accepted) << accepted;
    }

    f.show();
    f.E1->setText("two");
    f.Button1->click();
    EXPECT_EQ(d.errors.size(), 1u) << "copies must be a number";
    EXPECT_TRUE(f.isVisible());

    f.RB1->setChecked(true);
    EXPECT_TRUE(f.PageRangeText().isEmpty());
    f.CB2->setCurrentIndex(2);
    EXPECT_EQ(f.PrintMode(), TrpPrintMode::EvenPages);
}

TEST(PrintDialog, EnteringThePageListChecksPages)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    f.show();
    QApplication::setActiveWindow(&f);
    f.E2->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.RB3->isChecked());
}

TEST(PrintDialog, CollateLabelTogglesTheBoxAndThePicture)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    const QImage collated = f.PB1->grab().toImage();
    QTest::mouseClick(f.Label3, Qt::LeftButton);
    EXPECT_FALSE(f.Collate());
    EXPECT_NE(f.PB1->grab().toImage(), collated);
    f.Label3Click();
    EXPECT_TRUE(f.Collate());
    EXPECT_EQ(CollatePicture().size(), QSize(74, 53));
    EXPECT_EQ(NonCollatePicture().size(), QSize(92, 40));
}

TEST(PrintDialog, CollateLabelUnderlinesItsAcceleratorAndTakesNoKey)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    EXPECT_EQ(f.Label3->textFormat(), Qt::RichText);
    EXPECT_EQ(f.Label3->text(), "Co<u>l</u>late");
    QTextDocument shown;
    shown.setHtml(f.Label3->text());
    EXPECT_EQ(shown.toPlainText(), "Collate");

    f.show();
    QApplication::setActiveWindow(&f);
    f.E1->setFocus();
    QTest::keyClick(&f, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(f.Collate()) << "Alt+L does nothing";
    EXPECT_EQ(QApplication::focusWidget(), f.E1);
}

TEST(PrintDialog, AcceleratorTextsForLabelsWithoutAControl)
{
    const struct {
        const char* text;
        const char* html;
    } cases[] = {
        {"Co&llate", "Co<u>l</u>late"}, {"Save && close", "Save &amp; close"}, {"a<b&c", "a&lt;b<u>c</u>"},
        {"end&", "end"},                {"plain", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnderlinedAccelerator(QString::fromUtf8(c.text)), QString::fromUtf8(c.html)) << c.text;
}

TEST(PrintDialog, EveryClickOnTheSpinnerCountsHoweverFast)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    struct Case {
        bool up;
        const char* before;
        int clicks, gapMs;
        const char* after;
    };
    for (const Case& c : {
             Case{true, "1", 2, interval / 4, "3"},
             Case{true, "3", 3, interval / 2, "6"},
             Case{true, "6", 4, interval / 4, "10"},
             Case{false, "10", 2, interval / 4, "8"},
             Case{false, "8", 4, interval / 8, "4"},
             Case{false, "2", 2, interval / 4, "1"},
         }) {
        SCOPED_TRACE(testing::Message() << (c.up ? "up" : "down") << " from " << c.before << ", " << c.clicks
                                        << " clicks " << c.gapMs << " ms apart");
        f.E1->setText(c.before);
        ClickRun(c.up ? *f.rpSpeedButton1 : *f.rpSpeedButton2, QPoint(8, 4), c.clicks, c.gapMs);
        EXPECT_EQ(f.E1->text().toStdString(), c.after);
    }
}

TEST(PrintDialog, SpinnerHalvesAreWholeAndMirrorEachOther)
{
    PrintDialog d;
    TrpPrintForm& f = *d.form;
    f.show();
    const QRect up = f.rpSpeedButton1->geometry(), down = f.rpSpeedButton2->geometry();
    EXPECT_EQ(up.size(), QSize(17, 8));
    EXPECT_EQ(down.size(), QSize(17, 8));
    EXPECT_FALSE(up.intersects(down));
    EXPECT_FALSE(up.intersects(f.E1->geometry()));
    for (TrpSpeedButton* half : {f.rpSpeedButton1, f.rpSpeedButton2})
        EXPECT_EQ(half->visibleRegion().boundingRect(), half->rect());

    const QImage upImage = f.rpSpeedButton1->grab().toImage();
    const QImage downImage = f.rpSpeedButton2->grab().toImage();
    ASSERT_EQ(upImage.size(), QSize(17, 8));
    ASSERT_EQ(downImage.size(), QSize(17, 8));
    // Inside the one-pixel bevel the up half is the down half upside down.
    int black = 0;
    for (int y = 1; y <= 6; ++y)
        for (int x = 1; x <= 15; ++x) {
            EXPECT_EQ(upImage.pixel(x, y), downImage.pixel(x, 7 - y)) << x << "," << y;
            black += downImage.pixel(x, y) == qRgb(0, 0, 0);
        }
    EXPECT_EQ(black, 7 + 5 + 3 + 1) << "the whole arrow shows";
}

TEST(PrintDialog, ListsTheSystemsCurrentPrinterAlsoOnTheVirtualPrinter)
{
    for (const bool choose : {false, true}) {
        SCOPED_TRACE(choose);
        ThreePrinters system;
        TrpPrinter printer;
        printer.AttachPrinter(&system);
        printer.SelectByIndex(printer.VirtualIndex());
        ASSERT_TRUE(printer.IsVirtual());
        TrpPrintForm f(printer);
        EXPECT_EQ(f.CB1->currentIndex(), 1) << "the system's current printer";
        if (choose) {
            f.CB1->setCurrentIndex(2);
            f.CB1Click(2);
            EXPECT_EQ(printer.PrinterIndex(), 2);
        }
        f.Button2->click();
        EXPECT_EQ(printer.PrinterIndex(), 1) << "Cancel selects the system's current printer again";
        EXPECT_EQ(system.current, 1);
    }
}

TEST(PasswordDialog, AsksOnceAndCancelGivesCancel)
{
    TrpPasswForm form;
    EXPECT_EQ(form.windowTitle(), "Password");
    EXPECT_EQ(form.L1->text(), "Enter password for opening report");
    EXPECT_EQ(form.size(), QSize(249, 96));
    EXPECT_EQ(form.E1->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(form.OK->isDefault());

    QTimer::singleShot(0, [&form] {
        EXPECT_EQ(form.focusWidget(), form.E1);
        EXPECT_FALSE(form.L2->isVisible()) << "the password is asked once";
        QTest::keyClicks(form.E1, "s3cret");
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);

    QTimer::singleShot(0, [&form] {
        form.E1->setText("s3cret");
        QTest::keyClick(form.E1, Qt::Key_Return);
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.Password(), "s3cret");
}

namespace {

std::int32_t Word(int category, int type, int decimals, char separator)
{
    return (category << 24) | (type << 16) | (decimals << 8) | static_cast<unsigned char>(separator);
}

} // namespace

TEST(FormatDialog, ShowsTheWord)
{
    TrpFmtForm form;
    EXPECT_EQ(form.windowTitle(), "Variable formatting");
    EXPECT_EQ(form.Label2->text(), "Frac delimiter");
    form.Format = Word(1, 1, 2, ',');
    form.FormActivate();
    ASSERT_EQ(form.CatLB->count(), 5);
    EXPECT_EQ(form.CatLB->currentItem()->text(), "Number");
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "1234,50");
    EXPECT_EQ(form.DecEdit->text(), "2");
    EXPECT_EQ(form.SplEdit->text(), ",");
    EXPECT_TRUE(form.DecEdit->isEnabled());
    EXPECT_FALSE(form.FormatEdit->isEnabled());

    form.CatLB->setCurrentRow(0);
    form.CatLBClick();
    ASSERT_EQ(form.TypeLB->count(), 1) << "the absent texts are left out";
    EXPECT_EQ(form.TypeLB->item(0)->text(), "[None]");
}

TEST(FormatDialog, DateEmptiesTheDecimalsAndCustomTakesTheFormat)
{
    TrpFmtForm form;
    form.Format = Word(1, 1, 2, '.');
    form.FormatStr = "dd/mm/yyyy";
    form.FormActivate();
    form.CatLB->setCurrentRow(2);
    form.CatLBClick();
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "11.15.98");
    EXPECT_FALSE(form.DecEdit->isEnabled());
    EXPECT_TRUE(form.DecEdit->text().isEmpty());
    EXPECT_TRUE(form.SplEdit->text().isEmpty());
    form.TypeLB->setCurrentRow(4);
    form.TypeLBClick();
    EXPECT_TRUE(form.FormatEdit->isEnabled());
    EXPECT_EQ(form.FormatEdit->text(), "dd/mm/yyyy");

    form.FormatEdit->setText("yyyy-mm-dd");
    form.Button1->click();
    EXPECT_EQ(form.Format, Word(2, 4, 0, ','));
    EXPECT_EQ(form.FormatStr, "yyyy-mm-dd");
}

TEST(FormatDialog, OkEncodesAndCancelLeavesTheWord)
{
    {
        TrpFmtForm form;
        form.Format = Word(4, 3, 0, ',');
        form.FormatStr = "kept";
        form.FormActivate();
        form.CatLB->setCurrentRow(1);
        form.CatLBClick();
        form.TypeLB->setCurrentRow(3);
        form.TypeLBClick();
        form.DecEdit->setText("3");
        form.SplEdit->setText(".");
        form.Button2->click();
        EXPECT_EQ(form.Format, Word(4, 3, 0, ','));
        EXPECT_EQ(form.FormatStr, "kept");
    }
    {
        TrpFmtForm form;
        form.Format = Word(1, 0, 0, '.');
        form.FormatStr = "kept";
        form.FormActivate();
        form.TypeLB->setCurrentRow(3);
        form.TypeLBClick();
        form.DecEdit->setText("3");
        form.SplEdit->clear();
        form.Button1->click();
        EXPECT_EQ(form.Format, Word(1, 3, 3, ',')) << "an empty separator is a comma";
        EXPECT_EQ(form.FormatStr, "kept") << "the format text changes only with a custom type";
    }
    {
        TrpFmtForm form;
        form.Format = Word(1, 0, 0, '.');
        form.FormActivate();
        form.DecEdit->setText("300");
        EXPECT_FALSE(form.DecEdit->hasAcceptableInput()) << "decimal digits fit one byte";
    }
}

TEST(FormatDialog, KeysAndDragsChooseAsAClickDoes)
{
    TrpFmtForm form;
    form.Format = Word(1, 1, 2, ',');
    form.FormatStr = "dd/mm/yyyy";
    form.show();
    ASSERT_EQ(form.TypeLB->currentRow(), 1);

    QTest::keyClick(form.CatLB, Qt::Key_Down);
    EXPECT_EQ(form.CatLB->currentItem()->text(), "Date");
    ASSERT_EQ(form.TypeLB->count(), 5) << "the types follow the category";
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "11.15.98");
    EXPECT_FALSE(form.DecEdit->isEnabled());
    EXPECT_TRUE(form.DecEdit->text().isEmpty());

    QTest::keyClick(form.TypeLB, Qt::Key_End);
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "Custom");
    EXPECT_TRUE(form.FormatEdit->isEnabled());
    EXPECT_EQ(form.FormatEdit->text(), "dd/mm/yyyy");
    QTest::keyClick(form.TypeLB, Qt::Key_Up);
    EXPECT_FALSE(form.FormatEdit->isEnabled());
    EXPECT_TRUE(form.FormatEdit->text().isEmpty());

    QTest::keyClick(form.CatLB, Qt::Key_Up);
    EXPECT_EQ(form.CatLB->currentItem()->text(), "Number");
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "1234,5");
    EXPECT_TRUE(form.DecEdit->isEnabled());
    EXPECT_EQ(form.DecEdit->text(), "2");
    EXPECT_EQ(form.SplEdit->text(), ",");

    // A key that leaves the selection where it is changes nothing.
    QTest::keyClick(form.CatLB, Qt::Key_End);
    QTest::keyClick(form.TypeLB, Qt::Key_Down);
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "No;Yes");
    QTest::keyClick(form.CatLB, Qt::Key_Down);
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "No;Yes");

    // Dragging the mouse over the categories chooses as well.
    QWidget* viewport = form.CatLB->viewport();
    const auto centre = [&form](int row) { return form.CatLB->visualItemRect(form.CatLB->item(row)).center(); };
    QTest::mousePress(viewport, Qt::LeftButton, {}, centre(4));
    QTest::mouseMove(viewport, centre(3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(3));
    EXPECT_EQ(form.CatLB->currentItem()->text(), "Time");
    EXPECT_EQ(form.TypeLB->currentItem()->text(), "02:43:35");

    form.Button1->click();
    EXPECT_EQ(form.Format, Word(3, 0, 0, ','));
}

TEST(FormatDialog, OpenedOnAStoredWordKeepsItsType)
{
    for (const std::int32_t word : {Word(1, 3, 2, '.'), Word(2, 4, 0, ','), Word(4, 2, 0, ',')}) {
        SCOPED_TRACE(word);
        TrpFmtForm form;
        form.Format = word;
        form.FormatStr = "kept";
        const int category = word >> 24, type = (word >> 16) & 0xFF;
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(form.CatLB->currentRow(), category);
            EXPECT_EQ(form.TypeLB->currentRow(), type);
            // Going through the lists with Tab chooses nothing.
            form.CatLB->setFocus();
            QTest::keyClick(form.CatLB, Qt::Key_Tab);
            EXPECT_EQ(form.CatLB->currentRow(), category);
            EXPECT_EQ(form.TypeLB->currentRow(), type);
            form.Button1->click();
        });
        EXPECT_EQ(form.exec(), QDialog::Accepted);
        EXPECT_EQ(form.Format, word);
        EXPECT_EQ(form.FormatStr, "kept");
    }
}
