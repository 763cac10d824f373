#include "RP_PrDlg.h"

#include "Exceptions.h"
#include "RP_Ctrls.h"
#include "RpFormTexts.h"
#include "RpMessageBox.h"
#include "RpWindowFont.h"

#include "platform/WindowBounds.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <charconv>
#include <optional>

namespace report {

namespace {

std::optional<int> ParseCopies(const QString& text)
{
    const std::string digits = text.trimmed().toStdString();
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// A sheet with its page number, at (x, y), 18 x 24.
void DrawSheet(QPainter& painter, int x, int y, int number)
{
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(x, y, 17, 23);
    painter.drawText(QRect(x, y, 18, 24), Qt::AlignCenter, QString::number(number));
}

QImage Picture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// The printer's icon of the printer list, 18 x 16.
QIcon PrinterIcon()
{
    QImage image = Picture(18, 16);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(5, 1, 8, 6);      // paper
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(1, 6, 15, 6);     // body
    painter.setBrush(QColor(128, 128, 0));
    painter.drawRect(4, 12, 10, 2);    // tray
    return QIcon(QPixmap::fromImage(image));
}

// The arrows of the copies spinner: the down arrow, 7 pixels wide at its
// top, in an olive frame column on either side (the glyph's bottom-left
// pixel is its transparent colour, so it must be olive in both); the up
// arrow is its mirror image.
QImage ArrowGlyph(bool up)
{
    QImage image(9, 4, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 0));  // the transparent olive
    for (int row = 0; row < 4; ++row)
        for (int x = 1 + row; x <= 7 - row; ++x)
            image.setPixel(x, row, qRgb(0, 0, 0));
    return up ? image.mirrored(false, true) : image;
}

// The system's current printer (the printer list's current index), also
// while the printer model is on the virtual printer; -1 when there is none.
int SystemPrinterIndex(const TrpPrinter& printer)
{
    if (printer.Platform() == nullptr)
        return -1;
    try {
        const int index = printer.Platform()->CurrentIndex();
        return index >= 0 && index < printer.VirtualIndex() ? index : -1;
    } catch (...) {
        return -1;
    }
}

} // namespace

QImage CollatePicture()
{
    QImage image = Picture(74, 53);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    for (int set = 0; set < 2; ++set)
        for (int sheet = 2; sheet >= 0; --sheet)
            DrawSheet(painter, 4 + set * 36 + sheet * 6, 4 + sheet * 8, 3 - sheet);
    return image;
}

QImage NonCollatePicture()
{
    QImage image = Picture(92, 40);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    for (int page = 0; page < 3; ++page)
        for (int copy = 1; copy >= 0; --copy)
            DrawSheet(painter, 4 + page * 29 + copy * 6, 4 + copy * 8, page + 1);
    return image;
}

TrpPrintForm::TrpPrintForm(TrpPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer), rememberedPrinter_(SystemPrinterIndex(printer))
{
    setFont(EngineWindowFont());
    setFixedSize(485, 225);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(8, 4, 469, 57);
    Label4 = new QLabel(GroupBox1);
    Label4->setGeometry(12, 24, 60, 16);
    CB1 = new QComboBox(GroupBox1);
    CB1->setGeometry(76, 20, 285, 22);
    CB1->setIconSize(QSize(18, 16));
    Label4->setBuddy(CB1);
    PropButton = new QPushButton(GroupBox1);
    PropButton->setGeometry(372, 19, 85, 25);

    GroupBox3 = new QGroupBox(this);
    GroupBox3->setGeometry(8, 64, 225, 117);
    Label1 = new QLabel(GroupBox3);
    Label1->setGeometry(12, 24, 120, 16);
    E1 = new QLineEdit("1", GroupBox3);
    E1->setGeometry(136, 20, 45, 21);
    Label1->setBuddy(E1);
    rpSpeedButton1 = new TrpSpeedButton(GroupBox3);
    rpSpeedButton1->setGeometry(182, 20, 17, 8);
    rpSpeedButton1->SetSpacing(0);
    rpSpeedButton1->SetGlyph(ArrowGlyph(true));
    rpSpeedButton2 = new TrpSpeedButton(GroupBox3);
    rpSpeedButton2->setGeometry(182, 29, 17, 8);
    rpSpeedButton2->SetGlyph(ArrowGlyph(false));
    CollateCB = new QCheckBox(GroupBox3);
    CollateCB->setGeometry(112, 76, 16, 16);
    CollateCB->setChecked(true);
    Label3 = new QLabel(GroupBox3);
    Label3->setGeometry(130, 76, 80, 16);
    Label3->installEventFilter(this);
    PB1 = new QWidget(GroupBox3);
    PB1->setGeometry(12, 52, 92, 53);
    PB1->installEventFilter(this);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(240, 64, 237, 117);
    RB1 = new QRadioButton(GroupBox2);
    RB1->setGeometry(12, 18, 200, 18);
    RB1->setChecked(true);
    RB2 = new QRadioButton(GroupBox2);
    RB2->setGeometry(12, 38, 200, 18);
    RB3 = new QRadioButton(GroupBox2);
    RB3->setGeometry(12, 58, 70, 18);
    E2 = new QLineEdit(GroupBox2);
    E2->setGeometry(84, 57, 141, 21);
    E2->installEventFilter(this);
    Label2 = new QLabel(GroupBox2);
    Label2->setGeometry(12, 80, 213, 32);
    Label2->setWordWrap(true);
    QFont small = Label2->font();
    small.setPixelSize(small.pixelSize() * 85 / 100);
    Label2->setFont(small);

    Label5 = new QLabel(this);
    Label5->setGeometry(12, 196, 40, 16);
    CB2 = new QComboBox(this);
    Label5->setBuddy(CB2);
    Button1 = new QPushButton(this);
    Button1->setGeometry(316, 192, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setGeometry(402, 192, 75, 25);

    connect(CB1, &QComboBox::activated, this, [this](int index) { CB1Click(index); });
    connect(PropButton, &QPushButton::clicked, this, [this] { PropButtonClick(); });
    rpSpeedButton1->OnClick = [this] { rpSpeedButton1Click(); };
    rpSpeedButton2->OnClick = [this] { rpSpeedButton2Click(); };
    connect(CollateCB, &QCheckBox::toggled, PB1, qOverload<>(&QWidget::update));
    connect(RB3, &QRadioButton::clicked, E2, [this] { E2->setFocus(); });
    connect(E2, &QLineEdit::textEdited, RB3, [this] { RB3->setChecked(true); });
    connect(Button1, &QPushButton::clicked, this, &TrpPrintForm::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(E1, CollateCB);

    ShowError = [this](const QString& message) {
        ShowMessageBox(this, QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok);
    };
    FormCreate();
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    E1->setFocus();
}

void TrpPrintForm::FormCreate()
{
    const QIcon icon = PrinterIcon();
    const std::vector<std::string>& printers = printer_.Printers();
    // The virtual printer, always the last, is not offered here.
    for (int i = 0; i < printer_.VirtualIndex(); ++i)
        CB1->addItem(icon, QString::fromStdString(printers[static_cast<std::size_t>(i)]));
    CB1->setCurrentIndex(rememberedPrinter_);

    setWindowTitle(FormText(53040));
    GroupBox1->setTitle(FormText(53041));
    PropButton->setText(FormText(53042));
    GroupBox3->setTitle(FormText(53043));
    GroupBox2->setTitle(FormText(53044));
    RB1->setText(FormText(53045));
    RB2->setText(FormText(53046));
    RB3->setText(FormText(53047));
    Label2->setText(FormText(53048));
    Label4->setText(FormText(53049));
    Label1->setText(FormText(53050));
    // The label has no control to focus: its accelerator is only shown.
    Label3->setTextFormat(Qt::RichText);
    Label3->setText(UnderlinedAccelerator(FormText(53051)));
    Label5->setText(FormText(53052));
    CB2->addItems({FormText(53053), FormText(53054), FormText(53055)});
    CB2->setCurrentIndex(0);
    Button1->setText(FormText(55000));
    Button2->setText(FormText(55001));
    Label5->adjustSize();
    CB2->setGeometry(Label5->geometry().right() + 1 + 11, 192, 120, 22);
}

void TrpPrintForm::CB1Click(int index)
{
    printer_.SelectByIndex(index);
}

void TrpPrintForm::PropButtonClick()
{
    printer_.ShowPropertiesDialog();
}

void TrpPrintForm::rpSpeedButton1Click()
{
    const std::optional<int> copies = ParseCopies(E1->text());
    if (!copies) {
        QApplication::beep();
        return;
    }
    if (*copies < std::numeric_limits<int>::max())
        E1->setText(QString::number(*copies + 1));
}

void TrpPrintForm::rpSpeedButton2Click()
{
    const std::optional<int> copies = ParseCopies(E1->text());
    if (!copies) {
        QApplication::beep();
        return;
    }
    E1->setText(QString::number(*copies >= 2 ? *copies - 1 : 1));
}

void TrpPrintForm::Label3Click()
{
    CollateCB->toggle();
}

bool TrpPrintForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label3 && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        Label3Click();
        return true;
    }
    if (watched == E2 && event->type() == QEvent::FocusIn)
        RB3->setChecked(true);
    if (watched == PB1 && event->type() == QEvent::Paint) {
        PB1Paint();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TrpPrintForm::PB1Paint()
{
    QPainter painter(PB1);
    painter.fillRect(PB1->rect(), palette().color(QPalette::Button));
    if (CollateCB->isChecked())
        painter.drawImage(QRect(8, 0, 74, 53), CollatePicture());
    else
        painter.drawImage(QRect(0, 8, 92, 40), NonCollatePicture());
}

int TrpPrintForm::Copies() const
{
    return ParseCopies(E1->text()).value_or(1);
}

bool TrpPrintForm::Collate() const
{
    return CollateCB->isChecked();
}

QString TrpPrintForm::PageRangeText() const
{
    return RB3->isChecked() ? E2->text() : QString();
}

TrpPrintMode TrpPrintForm::PrintMode() const
{
    return static_cast<TrpPrintMode>(std::clamp(CB2->currentIndex(), 0, 2));
}

bool TrpPrintForm::CurrentPageChosen() const
{
    return RB2->isChecked();
}

void TrpPrintForm::accept()
{
    if (!ParseCopies(E1->text())) {
        ShowError(QString("'%1' is not a valid number of copies").arg(E1->text()));
        E1->setFocus();
        return;
    }
    if (RB3->isChecked()) {
        try {
            TrpPageRange::Parse(E2->text().toStdString());
        } catch (const EConvertError&) {
            ShowError(QString("'%1' is not a valid page range. %2").arg(E2->text(), FormText(53048)));
            E2->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void TrpPrintForm::done(int result)
{
    if (result != QDialog::Accepted)
        printer_.SelectByIndex(rememberedPrinter_);
    QDialog::done(result);
}

} // namespace report
