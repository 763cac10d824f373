#pragma once
// The log properties dialog: where a log's file lies, the file's size and
// dates, and the log's size limit and overwrite policy, read from and
// written to the registry of the computer that holds the log.  A backup
// file ("$FILE") shows its file facts only.

#include "LogSettings.h"

#include <QDialog>
#include <QString>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TfrmLogProperties : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 700;
    static constexpr int kMinSizeKB = 64;
    static constexpr int kMaxSizeKB = 32767;
    static constexpr int kSizeStepKB = 64;
    static constexpr int kMinDays = 1;
    static constexpr int kMaxDays = 365;
    static constexpr int kDefaultSizeKB = 512;
    static constexpr int kDefaultDays = 7;

    // Clears a log (computer as the dialog has it, log), asking first as
    // the Clear Log command does.
    using TClearLog = std::function<void(const QString& computer, const QString& log)>;

    explicit TfrmLogProperties(QWidget* parent = nullptr);

    // The log the dialog shows: the computer empty for the local one, or
    // "$FILE" with the backup file's path as the log.
    const QString& ComputerName() const { return computer_; }
    void SetComputerName(const QString& computer) { computer_ = computer; }
    const QString& LogName() const { return log_; }
    void SetLogName(const QString& log) { log_ = log; }
    bool IsFile() const;
    void SetOnClearLog(TClearLog handler) { onClearLog_ = std::move(handler); }

    // Reads the log's settings and file facts into the controls, as when the
    // dialog is shown.
    void FormShow();
    // Writes the settings that differ from those shown (every one after
    // Restore Defaults); nothing for a backup file.  Raises a registry
    // failure.
    void WriteSettings();

    void btnRestoreDefaultsClick();
    void btnClearLogClick();

    QLineEdit* edFileName() const { return edFileName_; }
    QLabel* SizeLabel() const { return sizeLabel_; }
    QLabel* CreatedDate() const { return createdDate_; }
    QLabel* ModifiedDate() const { return modifiedDate_; }
    QLabel* AccessedDate() const { return accessedDate_; }
    QLabel* CreatedTime() const { return createdTime_; }
    QLabel* ModifiedTime() const { return modifiedTime_; }
    QLabel* AccessedTime() const { return accessedTime_; }
    QGroupBox* GroupBox1() const { return groupBox1_; }
    QSpinBox* udSize() const { return udSize_; }
    QSpinBox* udDays() const { return udDays_; }
    QRadioButton* rbAsNeeded() const { return rbAsNeeded_; }
    QRadioButton* rbOlder() const { return rbOlder_; }
    QRadioButton* rbNever() const { return rbNever_; }
    QPushButton* btnClearLog() const { return btnClearLog_; }
    QPushButton* btnRestoreDefaults() const { return btnRestoreDefaults_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowFileFacts(const std::string& path);
    void RadioClick();
    TOverwriteMode Mode() const;
    void SetMode(TOverwriteMode mode);
    void btnOKClick();

    QString computer_;
    QString log_;
    TClearLog onClearLog_;
    std::string filePath_;
    // The settings as the controls showed them after reading.
    int shownSizeKB_ = kDefaultSizeKB;
    TOverwriteMode shownMode_ = omAsNeeded;
    int shownDays_ = kDefaultDays;
    bool restored_ = false;

    QLineEdit* edFileName_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLabel* createdDate_ = nullptr;
    QLabel* modifiedDate_ = nullptr;
    QLabel* accessedDate_ = nullptr;
    QLabel* createdTime_ = nullptr;
    QLabel* modifiedTime_ = nullptr;
    QLabel* accessedTime_ = nullptr;
    QGroupBox* groupBox1_ = nullptr;
    QSpinBox* udSize_ = nullptr;
    QSpinBox* udDays_ = nullptr;
    QRadioButton* rbAsNeeded_ = nullptr;
    QRadioButton* rbOlder_ = nullptr;
    QRadioButton* rbNever_ = nullptr;
    QPushButton* btnClearLog_ = nullptr;
    QPushButton* btnRestoreDefaults_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};
