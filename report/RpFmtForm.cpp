#include "RpFmtForm.h"

#include "DisplayFormat.h"
#include "RpFormTexts.h"
#include "RpWindowFont.h"

#include <QEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <utility>

namespace report {

namespace {

constexpr int kFirstCategoryText = 55130;
constexpr int kFirstTypeText = 55150;
constexpr int kCategories = 5;
constexpr int kTypesPerCategory = 5;

// A list box whose click event comes as the platform's list boxes give
// it: on a click of an item, and whenever the user moves the selection
// with the keys or by dragging the mouse.  Choosing an item from code
// gives none.
class ClickListBox : public QListWidget {
public:
    ClickListBox(QWidget* parent, std::function<void()> onClick) : QListWidget(parent), onClick_(std::move(onClick))
    {
        connect(this, &QListWidget::itemClicked, this, [this] { onClick_(); });
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        ClickWhenMoved(before);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const int before = currentRow();
        QListWidget::mouseMoveEvent(event);
        ClickWhenMoved(before);
    }

private:
    void ClickWhenMoved(int before)
    {
        if (currentRow() != before)
            onClick_();
    }

    std::function<void()> onClick_;
};

} // namespace

TrpFmtForm::TrpFmtForm(QWidget* parent)
    : QDialog(parent), CatLB(new ClickListBox(this, [this] { CatLBClick(); })),
      TypeLB(new ClickListBox(this, [this] { TypeLBClick(); })), Label1(new QLabel(this)),
      DecEdit(new QLineEdit("0", this)), Label2(new QLabel(this)), SplEdit(new QLineEdit(this)),
      Label3(new QLabel(this)), FormatEdit(new QLineEdit(this)), Button1(new QPushButton(this)),
      Button2(new QPushButton(this))
{
    setFont(EngineWindowFont());
    setFixedSize(276, 217);
    CatLB->setGeometry(8, 8, 97, 113);
    TypeLB->setGeometry(112, 8, 156, 113);
    Label1->setGeometry(8, 132, 100, 16);
    DecEdit->setGeometry(112, 128, 41, 21);
    // Decimal digits take one byte of the format word.
    DecEdit->setValidator(new QIntValidator(0, 255, DecEdit));
    Label2->setGeometry(160, 132, 70, 16);
    SplEdit->setGeometry(236, 128, 32, 21);
    SplEdit->setMaxLength(1);
    SplEdit->installEventFilter(this);
    Label3->setGeometry(8, 160, 100, 16);
    FormatEdit->setGeometry(112, 156, 156, 21);
    Button1->setGeometry(112, 188, 75, 25);
    Button1->setDefault(true);
    Button2->setGeometry(193, 188, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TrpFmtForm::FormCreate()
{
    setWindowTitle(FormText(53420, "Variable formatting"));
    Label1->setText(FormText(53422, "Decimal digits"));
    Label2->setText(FormText(53423, "Frac delimiter"));
    Label3->setText(FormText(53424, "Format"));
    Button1->setText(FormText(55000));
    Button2->setText(FormText(55001));
}

void TrpFmtForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

bool TrpFmtForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SplEdit && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, SplEdit, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

void TrpFmtForm::FormActivate()
{
    const TrpDisplayFormat format = TrpDisplayFormat::Decode(Format);
    CatLB->clear();
    for (int c = 0; c < kCategories; ++c)
        CatLB->addItem(FormText(kFirstCategoryText + c));
    CatLB->setCurrentRow(std::min(format.Category, kCategories - 1));
    CatLBClick();
    if (format.SubFormat < TypeLB->count())
        TypeLB->setCurrentRow(format.SubFormat);
    UpdateFields();
}

void TrpFmtForm::CatLBClick()
{
    const int category = std::max(0, CatLB->currentRow());
    TypeLB->clear();
    for (int i = 0; i < kTypesPerCategory; ++i) {
        const QString type = FormText(kFirstTypeText + kTypesPerCategory * category + i);
        if (!type.isEmpty())
            TypeLB->addItem(type);
    }
    TypeLB->setCurrentRow(0);
    UpdateFields();
}

void TrpFmtForm::TypeLBClick()
{
    UpdateFields();
}

void TrpFmtForm::UpdateFields()
{
    const TrpDisplayFormat format = TrpDisplayFormat::Decode(Format);
    const bool number = CatLB->currentRow() == FormatCategory::Number;
    for (QWidget* widget : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                            static_cast<QWidget*>(DecEdit), static_cast<QWidget*>(SplEdit)})
        widget->setEnabled(number);
    DecEdit->setText(number ? QString::number(format.Decimals) : QString());
    SplEdit->setText(number && format.Separator != 0 ? QString(QChar::fromLatin1(format.Separator)) : QString());
    const bool custom = TypeLB->currentRow() == kCustomType;
    Label3->setEnabled(custom);
    FormatEdit->setEnabled(custom);
    FormatEdit->setText(custom ? QString::fromStdString(FormatStr) : QString());
}

void TrpFmtForm::done(int result)
{
    if (result == QDialog::Accepted) {
        TrpDisplayFormat format;
        format.Category = std::max(0, CatLB->currentRow());
        format.SubFormat = std::max(0, TypeLB->currentRow());
        bool ok = false;
        const int decimals = DecEdit->text().toInt(&ok);
        format.Decimals = ok && decimals >= 0 && decimals <= 255 ? decimals : 0;
        const QString separator = SplEdit->text();
        format.Separator = separator.isEmpty() || separator.at(0).unicode() > 0xFF
                               ? ','
                               : static_cast<char>(separator.at(0).toLatin1());
        Format = format.Encode();
        if (FormatEdit->isEnabled())
            FormatStr = FormatEdit->text().toStdString();
    }
    QDialog::done(result);
}

} // namespace report
