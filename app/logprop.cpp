#include "logprop.h"

#include "HelpContext.h"
#include "SystemFonts.h"
#include "UserPrompts.h"
#include "dwy_reg.h"

#include "platform/WindowBounds.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>

#include <exception>

namespace {

constexpr char kFileComputer[] = "$FILE";
constexpr char kUnavailable[] = "<Unavailable>";
constexpr char kSystemRootDefault[] = "C:\\WINDOWS";

QLabel* label(const QString& text, QWidget* parent, int x, int y)
{
    auto* made = new QLabel(text, parent);
    made->move(x, y);
    return made;
}

QSpinBox* upDown(QWidget* parent, int minimum, int maximum, int step, int value)
{
    auto* made = new QSpinBox(parent);
    made->setRange(minimum, maximum);
    made->setSingleStep(step);
    made->setValue(value);
    made->setWrapping(false);
    return made;
}

} // namespace

TfrmLogProperties::TfrmLogProperties(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Event Log Properties"));
    setFont(WindowFont(QStringLiteral("MS Sans Serif")));
    SetHelpContext(this, kHelpContext);
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);

    label(QStringLiteral("Log file name:"), this, 8, 12);
    edFileName_ = new QLineEdit(this);
    edFileName_->setGeometry(96, 8, 278, 21);
    edFileName_->setReadOnly(true);
    label(QStringLiteral("File size:"), this, 8, 40);
    sizeLabel_ = label({}, this, 96, 40);
    label(QStringLiteral("File created:"), this, 8, 60);
    createdDate_ = label({}, this, 96, 60);
    createdTime_ = label({}, this, 276, 60);
    label(QStringLiteral("File modified:"), this, 8, 80);
    modifiedDate_ = label({}, this, 96, 80);
    modifiedTime_ = label({}, this, 276, 80);
    label(QStringLiteral("File accessed:"), this, 8, 100);
    accessedDate_ = label({}, this, 96, 100);
    accessedTime_ = label({}, this, 276, 100);
    for (QLabel* value : {sizeLabel_, createdDate_, modifiedDate_, accessedDate_})
        value->setMinimumWidth(176);
    for (QLabel* value : {createdTime_, modifiedTime_, accessedTime_})
        value->setMinimumWidth(98);

    groupBox1_ = new QGroupBox(QStringLiteral("Event log size"), this);
    groupBox1_->setGeometry(8, 126, 366, 208);
    label(QStringLiteral("Maximum log size:"), groupBox1_, 12, 26);
    udSize_ = upDown(groupBox1_, kMinSizeKB, kMaxSizeKB, kSizeStepKB, 1024);
    udSize_->setGeometry(120, 22, 80, 21);
    label(QStringLiteral("KB"), groupBox1_, 206, 26);
    label(QStringLiteral("When maximum log size is riched:"), groupBox1_, 12, 54);
    rbAsNeeded_ = new QRadioButton(QStringLiteral("Overwrite events as needed"), groupBox1_);
    rbAsNeeded_->move(24, 74);
    rbAsNeeded_->setChecked(true);
    rbOlder_ = new QRadioButton(QStringLiteral("Overwrite events older than"), groupBox1_);
    rbOlder_->move(24, 100);
    udDays_ = upDown(groupBox1_, kMinDays, kMaxDays, 1, kDefaultDays);
    udDays_->setGeometry(200, 98, 56, 21);
    label(QStringLiteral("days"), groupBox1_, 262, 102);
    rbNever_ = new QRadioButton(QStringLiteral("Do no overwrite events (clear log manually)"), groupBox1_);
    rbNever_->move(24, 126);
    btnClearLog_ = new QPushButton(QStringLiteral("Clear Log"), groupBox1_);
    btnClearLog_->setGeometry(12, 170, 96, 25);
    btnClearLog_->setAutoDefault(false);
    btnRestoreDefaults_ = new QPushButton(QStringLiteral("Restore Defaults"), groupBox1_);
    btnRestoreDefaults_->setGeometry(258, 170, 96, 25);
    btnRestoreDefaults_->setAutoDefault(false);

    btnOK_ = new QPushButton(QStringLiteral("OK"), this);
    btnOK_->setGeometry(218, 346, 75, 23);
    btnOK_->setDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setGeometry(299, 346, 75, 23);
    btnCancel_->setAutoDefault(false);

    setFixedSize(382, 378);

    for (QRadioButton* radio : {rbAsNeeded_, rbOlder_, rbNever_})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioClick(); });
    connect(btnRestoreDefaults_, &QPushButton::clicked, this, [this] { btnRestoreDefaultsClick(); });
    connect(btnClearLog_, &QPushButton::clicked, this, [this] { btnClearLogClick(); });
    connect(btnOK_, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmLogProperties::IsFile() const
{
    return computer_.compare(QString::fromLatin1(kFileComputer), Qt::CaseInsensitive) == 0;
}

void TfrmLogProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmLogProperties::FormShow()
{
    setWindowTitle(QStringLiteral("Log Properties - ") + log_);
    restored_ = false;
    if (IsFile()) {
        filePath_ = log_.toStdString();
        groupBox1_->hide();
    } else {
        const std::string computer = computer_.toStdString();
        const TLogSettings settings = ReadLogSettings(computer, log_.toStdString());
        std::string systemRoot;
        GetSystemRoot(computer, kSystemRootDefault, systemRoot);
        filePath_ = LogFilePath(computer, settings.file, systemRoot);

        udSize_->setValue(settings.maxSize / 1024);
        const TRetention retention = RetentionOf(settings.retention);
        udDays_->setValue(kDefaultDays);
        SetMode(retention.mode);
        if (retention.mode == omOlderThan)
            udDays_->setValue(static_cast<int>(std::min<std::uint32_t>(retention.days, kMaxDays)));
        RadioClick();
        groupBox1_->show();
        // What the controls show now is what OK compares with: a stored
        // value that the controls had to clamp is only rewritten when the
        // user changes it.
        shownSizeKB_ = udSize_->value();
        shownMode_ = Mode();
        shownDays_ = udDays_->value();
    }
    edFileName_->setText(QString::fromStdString(filePath_));
    edFileName_->setCursorPosition(0);
    edFileName_->deselect();
    btnOK_->setFocus();
    ShowFileFacts(filePath_);
}

void TfrmLogProperties::ShowFileFacts(const std::string& path)
{
    const TFileFacts facts = ReadFileFacts(path);
    if (!facts.found) {
        for (QLabel* value : {sizeLabel_, createdDate_, modifiedDate_, accessedDate_})
            value->setText(QString::fromLatin1(kUnavailable));
        for (QLabel* value : {createdTime_, modifiedTime_, accessedTime_})
            value->clear();
        return;
    }
    sizeLabel_->setText(FileSizeText(facts.size));
    const QLocale locale;
    const QString dateFormat = locale.dateFormat(QLocale::LongFormat);
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    const std::pair<QLabel*, QLabel*> labels[] = {
        {createdDate_, createdTime_}, {modifiedDate_, modifiedTime_}, {accessedDate_, accessedTime_}};
    const QDateTime* times[] = {&facts.created, &facts.modified, &facts.accessed};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        labels[i].first->setText(locale.toString(*times[i], dateFormat));
        labels[i].second->setText(locale.toString(*times[i], timeFormat));
    }
}

TOverwriteMode TfrmLogProperties::Mode() const
{
    if (rbNever_->isChecked())
        return omNever;
    if (rbOlder_->isChecked())
        return omOlderThan;
    return omAsNeeded;
}

void TfrmLogProperties::SetMode(TOverwriteMode mode)
{
    switch (mode) {
    case omAsNeeded:
        rbAsNeeded_->setChecked(true);
        break;
    case omOlderThan:
        rbOlder_->setChecked(true);
        break;
    case omNever:
        rbNever_->setChecked(true);
        break;
    }
}

void TfrmLogProperties::RadioClick()
{
    udDays_->setEnabled(rbOlder_->isChecked());
}

void TfrmLogProperties::btnRestoreDefaultsClick()
{
    udSize_->setValue(kDefaultSizeKB);
    udDays_->setValue(kDefaultDays);
    SetMode(omOlderThan);
    RadioClick();
    restored_ = true;
}

void TfrmLogProperties::btnClearLogClick()
{
    if (onClearLog_) {
        try {
            onClearLog_(computer_, log_);
        } catch (const std::exception& e) {
            ShowException(this, e.what());
        }
    }
    // The file has changed under the dialog.
    ShowFileFacts(filePath_);
}

void TfrmLogProperties::WriteSettings()
{
    if (IsFile())
        return;
    const std::string computer = computer_.toStdString();
    const std::string key = kEventLogKey + log_.toStdString();
    const int sizeKB = udSize_->value();
    if (restored_ || sizeKB != shownSizeKB_)
        RegWriteInteger(computer, key, "MaxSize", sizeKB << 10);
    const TOverwriteMode mode = Mode();
    const int days = udDays_->value();
    if (restored_ || mode != shownMode_ || (mode == omOlderThan && days != shownDays_))
        RegWriteInteger(computer, key, "Retention", RetentionValue(mode, days));
}

void TfrmLogProperties::btnOKClick()
{
    try {
        WriteSettings();
    } catch (const std::exception& e) {
        // The dialog stays open with what the user chose.
        ShowException(this, e.what());
        return;
    }
    accept();
}
