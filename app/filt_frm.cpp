#include "filt_frm.h"

#include "CriteriaFile.h"
#include "EventColumns.h"
#include "HelpContext.h"
#include "NameList.h"
#include "SystemFonts.h"
#include "UserPrompts.h"
#include "common.h"

#include "platform/MessageBoxTypes.h"
#include "platform/WindowBounds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTimeEdit>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kFileFilter[] = "Quellvane criteria files (*.quv);;All files (*.*)";
constexpr char kFileExtension[] = "quv";

QCheckBox* checkBox(const char* caption, QWidget* parent, int x, int y, bool ticked)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->move(x, y);
    box->adjustSize();
    box->setChecked(ticked);
    return box;
}

// The blanks of the time group's caption as designed.
constexpr int kTimeCaptionBlanks = 45;

// Lengthens a caption of blanks until it reaches past a control that lies
// on the group's top edge (the look's check boxes may be wider than the
// designed caption); the caption starts at the group's left edge or right
// of it.
void widenBlankCaption(QGroupBox* group, const QWidget* last)
{
    const int reach = last->geometry().right() + 1 - group->x();
    const int blank = std::max(1, group->fontMetrics().horizontalAdvance(u' '));
    const int blanks = std::max<int>(group->title().size(), (reach + blank - 1) / blank + 1);
    group->setTitle(QString(blanks, u' '));
}

QLabel* label(const char* caption, QWidget* parent, int x, int y)
{
    auto* text = new QLabel(QString::fromLatin1(caption), parent);
    text->move(x, y);
    text->adjustSize();
    return text;
}

QPushButton* button(const char* caption, QWidget* parent, int x, int y)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setGeometry(x, y, 75, 25);
    b->setAutoDefault(false);
    return b;
}

QFileDialog* fileDialog(QWidget* parent, const char* title, QFileDialog::AcceptMode mode)
{
    auto* dialog = new QFileDialog(parent, QString::fromLatin1(title));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setNameFilter(QString::fromLatin1(kFileFilter));
    dialog->setDefaultSuffix(QString::fromLatin1(kFileExtension));
    dialog->setSizeGripEnabled(true);
    return dialog;
}

} // namespace

TfrmFilterDesign::TfrmFilterDesign(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Filter"));
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(WindowFont(QStringLiteral("Tahoma")));
    BuildLayout();
    setFixedSize(478, 318);

    dlgLoad_ = fileDialog(this, "Load Criteria", QFileDialog::AcceptOpen);
    dlgSave_ = fileDialog(this, "Save Criteria", QFileDialog::AcceptSave);
}

TfrmFilterDesign::~TfrmFilterDesign() = default;

void TfrmFilterDesign::BuildLayout()
{
    auto* types = new QGroupBox(QStringLiteral("Event types"), this);
    types->setGeometry(8, 4, 462, 42);
    cbxInformation_ = checkBox("Information", types, 10, 18, true);
    cbxWarning_ = checkBox("Warning", types, 100, 18, true);
    cbxError_ = checkBox("Error", types, 180, 18, true);
    cbxAuditSuccess_ = checkBox("Audit Success", types, 250, 18, true);
    cbxAuditFailure_ = checkBox("Audit Failure", types, 355, 18, true);

    label("Source:", this, 8, 57);
    cbSources_ = new QComboBox(this);
    cbSources_->setEditable(true);
    cbSources_->setInsertPolicy(QComboBox::NoInsert);
    cbSources_->setGeometry(72, 53, 240, 22);
    label("Category:", this, 8, 83);
    cbCategories_ = new QComboBox(this);
    cbCategories_->setEditable(true);
    cbCategories_->setInsertPolicy(QComboBox::NoInsert);
    cbCategories_->setGeometry(72, 79, 240, 22);
    label("User:", this, 8, 109);
    edUser_ = new QLineEdit(this);
    edUser_->setGeometry(72, 105, 160, 22);
    cbxUserSubstring_ = checkBox("Substring", this, 240, 107, true);
    label("Computer:", this, 8, 135);
    edComputer_ = new QLineEdit(this);
    edComputer_->setGeometry(72, 131, 160, 22);
    cbxComputerSubstring_ = checkBox("Substring", this, 240, 133, true);

    btnLoad_ = button("Load...", this, 395, 53);
    btnSave_ = button("Save...", this, 395, 82);

    label("Event ID(s):", this, 8, 158);
    edEvents_ = new QLineEdit(this);
    edEvents_->setGeometry(8, 172, 460, 22);
    label("Text in description:", this, 8, 198);
    edDescriptionText_ = new QLineEdit(this);
    edDescriptionText_->setGeometry(8, 212, 460, 22);

    // The group's caption is blank: its three check boxes lie on its top
    // edge instead, where the caption keeps the frame's top line away.
    gbTime_ = new QGroupBox(QString(kTimeCaptionBlanks, u' '), this);
    gbTime_->setGeometry(8, 240, 370, 72);
    cbxDate_ = checkBox("Date", this, 16, 240, false);
    cbxTime_ = checkBox("Time", this, 72, 240, false);
    cbxSeparately_ = checkBox("Separately", this, 128, 240, false);
    cbxSeparately_->setEnabled(false);
    widenBlankCaption(gbTime_, cbxSeparately_);

    const QLocale locale;
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QString timeFormat = TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    auto dateEdit = [&](int y) {
        auto* edit = new QDateEdit(gbTime_);
        edit->setGeometry(48, y, 110, 22);
        edit->setDisplayFormat(dateFormat);
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        return edit;
    };
    auto timeEdit = [&](int y) {
        auto* edit = new QTimeEdit(gbTime_);
        edit->setGeometry(166, y, 100, 22);
        edit->setDisplayFormat(timeFormat);
        edit->setEnabled(false);
        return edit;
    };
    label("From:", gbTime_, 8, 22);
    dtpFromDate_ = dateEdit(18);
    dtpFromTime_ = timeEdit(18);
    label("To:", gbTime_, 8, 48);
    dtpToDate_ = dateEdit(44);
    dtpToTime_ = timeEdit(44);
    // The check boxes stand above the group's frame.
    for (QCheckBox* box : {cbxDate_, cbxTime_, cbxSeparately_})
        box->raise();

    btnOK_ = button("OK", this, 395, 252);
    btnOK_->setDefault(true);
    btnCancel_ = button("Cancel", this, 395, 284);

    connect(cbxDate_, &QCheckBox::clicked, this, &TfrmFilterDesign::cbxDateClick);
    connect(cbxTime_, &QCheckBox::clicked, this, &TfrmFilterDesign::cbxTimeClick);
    connect(btnLoad_, &QPushButton::clicked, this, &TfrmFilterDesign::btnLoadClick);
    connect(btnSave_, &QPushButton::clicked, this, &TfrmFilterDesign::btnSaveClick);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmFilterDesign::Execute(const QString& caption, TEventFilter& filter, const TNameList& sources,
                               const TNameList& categories)
{
    Reset(sources, categories);
    setWindowTitle(caption);
    if (exec() != QDialog::Accepted) {
        filter = NeutralCriteria();
        return false;
    }
    filter = Criteria();
    return true;
}

void TfrmFilterDesign::Reset(const TNameList& sources, const TNameList& categories)
{
    for (QCheckBox* box : {cbxInformation_, cbxWarning_, cbxError_, cbxAuditSuccess_, cbxAuditFailure_,
                           cbxUserSubstring_, cbxComputerSubstring_})
        box->setChecked(true);
    for (QLineEdit* edit : {edUser_, edComputer_, edEvents_, edDescriptionText_})
        edit->clear();
    auto fill = [](QComboBox* box, const TNameList& names) {
        box->clear();
        for (const std::string& name : names)
            box->addItem(QString::fromStdString(name));
        box->setCurrentIndex(-1);
        box->setEditText({});
    };
    fill(cbSources_, sources);
    fill(cbCategories_, categories);
    for (QCheckBox* box : {cbxDate_, cbxTime_, cbxSeparately_})
        box->setChecked(false);
    const QDate today = QDate::currentDate();
    dtpFromDate_->setDate(today);
    dtpToDate_->setDate(today);
    dtpFromTime_->setTime(QTime(6, 0));
    dtpToTime_->setTime(QTime(18, 0));
    cbxDateClick();
    cbxTimeClick();
}

TEventFilter TfrmFilterDesign::Criteria() const
{
    TEventFilter f = FileCriteria();
    f.From = 0;
    f.To = 0;
    if (f.Date) {
        f.From = EncodeDate(dtpFromDate_->date());
        f.To = EncodeDate(dtpToDate_->date());
    }
    if (f.Time) {
        f.From += EncodeTime(dtpFromTime_->time());
        f.To += EncodeTime(dtpToTime_->time());
    }
    return f;
}

TEventFilter TfrmFilterDesign::FileCriteria() const
{
    TEventFilter f;
    f.Information = cbxInformation_->isChecked();
    f.Warning = cbxWarning_->isChecked();
    f.Error = cbxError_->isChecked();
    f.AuditSuccess = cbxAuditSuccess_->isChecked();
    f.AuditFailure = cbxAuditFailure_->isChecked();
    f.Source = cbSources_->currentText();
    f.Category = cbCategories_->currentText();
    f.User = edUser_->text();
    f.Computer = edComputer_->text();
    f.UserSubstring = cbxUserSubstring_->isChecked();
    f.ComputerSubstring = cbxComputerSubstring_->isChecked();
    f.EventIDs = edEvents_->text();
    f.DescriptionText = edDescriptionText_->text();
    f.Date = cbxDate_->isChecked();
    f.Time = cbxTime_->isChecked();
    f.DTSeparately = cbxSeparately_->isChecked();
    f.From = EncodeDate(dtpFromDate_->date()) + EncodeTime(dtpFromTime_->time());
    f.To = EncodeDate(dtpToDate_->date()) + EncodeTime(dtpToTime_->time());
    return f;
}

void TfrmFilterDesign::SetFileCriteria(const TEventFilter& c)
{
    cbxInformation_->setChecked(c.Information);
    cbxWarning_->setChecked(c.Warning);
    cbxError_->setChecked(c.Error);
    cbxAuditSuccess_->setChecked(c.AuditSuccess);
    cbxAuditFailure_->setChecked(c.AuditFailure);
    cbSources_->setEditText(c.Source);
    cbCategories_->setEditText(c.Category);
    edUser_->setText(c.User);
    edComputer_->setText(c.Computer);
    cbxUserSubstring_->setChecked(c.UserSubstring);
    cbxComputerSubstring_->setChecked(c.ComputerSubstring);
    edEvents_->setText(c.EventIDs);
    edDescriptionText_->setText(c.DescriptionText);
    cbxDate_->setChecked(c.Date);
    cbxTime_->setChecked(c.Time);
    cbxSeparately_->setChecked(c.DTSeparately);
    auto setPickers = [](TDateTime value, QDateEdit* date, QTimeEdit* time) {
        QDate d;
        QTime t;
        DecodeDateTime(value, d, t);
        date->setDate(d);
        time->setTime(t);
    };
    setPickers(c.From, dtpFromDate_, dtpFromTime_);
    setPickers(c.To, dtpToDate_, dtpToTime_);
    cbxDateClick();
    cbxTimeClick();
}

bool TfrmFilterDesign::SaveCriteriaTo(const QString& path)
{
    try {
        SaveCriteriaFile(path, FileCriteria());
        return true;
    } catch (const std::exception& e) {
        UserPrompts().MessageBox(this, QString::fromStdString(e.what()), QStringLiteral("Save Criteria"),
                                 MB_OK | MB_ICONERROR);
        return false;
    }
}

bool TfrmFilterDesign::LoadCriteriaFrom(const QString& path)
{
    TEventFilter criteria;
    try {
        if (!LoadCriteriaFile(path, criteria)) {
            UserPrompts().MessageBox(
                this, QStringLiteral("Error reading criteria file\rIncorrect format or incompatible version"),
                QStringLiteral("Load Criteria"), MB_OK | MB_ICONERROR);
            return false;
        }
    } catch (const std::exception& e) {
        UserPrompts().MessageBox(this, QString::fromStdString(e.what()), QStringLiteral("Load Criteria"),
                                 MB_OK | MB_ICONERROR);
        return false;
    }
    SetFileCriteria(criteria);
    return true;
}

void TfrmFilterDesign::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TfrmFilterDesign::FormActivate()
{
    cbxInformation_->setFocus();
}

void TfrmFilterDesign::cbxDateClick()
{
    dtpFromDate_->setEnabled(cbxDate_->isChecked());
    dtpToDate_->setEnabled(cbxDate_->isChecked());
    cbxSeparately_->setEnabled(cbxDate_->isChecked() && cbxTime_->isChecked());
}

void TfrmFilterDesign::cbxTimeClick()
{
    dtpFromTime_->setEnabled(cbxTime_->isChecked());
    dtpToTime_->setEnabled(cbxTime_->isChecked());
    cbxSeparately_->setEnabled(cbxDate_->isChecked() && cbxTime_->isChecked());
}

void TfrmFilterDesign::btnLoadClick()
{
    if (dlgLoad_->exec() == QDialog::Accepted && !dlgLoad_->selectedFiles().isEmpty())
        LoadCriteriaFrom(dlgLoad_->selectedFiles().constFirst());
}

void TfrmFilterDesign::btnSaveClick()
{
    if (dlgSave_->exec() == QDialog::Accepted && !dlgSave_->selectedFiles().isEmpty())
        SaveCriteriaTo(dlgSave_->selectedFiles().constFirst());
}
