#pragma once
// The filter and find dialog: the one modal dialog in which the user states
// the criteria of a filter or of a Find, and saves them to or loads them
// from a criteria file.  It is made once at program start and reused.

#include "EventFilter.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class TNameList;

class TfrmFilterDesign : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 500;

    explicit TfrmFilterDesign(QWidget* parent = nullptr);
    ~TfrmFilterDesign() override;

    // Shows the dialog with `caption` ("Filter" or "Find"), every control
    // reset, the source and category choices given.  On OK, `filter` holds
    // what the dialog shows and the result is true; otherwise `filter` is
    // the neutral criteria.
    bool Execute(const QString& caption, TEventFilter& filter, const TNameList& sources, const TNameList& categories);

    // The criteria the controls show now; From and To are 0 unless Date or
    // Time is ticked.
    TEventFilter Criteria() const;
    // The controls as a criteria file holds them: From and To are always
    // the date picker plus the time picker.
    TEventFilter FileCriteria() const;
    // Sets every control from a criteria file's record.
    void SetFileCriteria(const TEventFilter& criteria);

    // Writes the controls to a criteria file, or reads them from one; a
    // failure is shown in a message box.  True when done.
    bool SaveCriteriaTo(const QString& path);
    bool LoadCriteriaFrom(const QString& path);

    QCheckBox* cbxInformation() const { return cbxInformation_; }
    QCheckBox* cbxWarning() const { return cbxWarning_; }
    QCheckBox* cbxError() const { return cbxError_; }
    QCheckBox* cbxAuditSuccess() const { return cbxAuditSuccess_; }
    QCheckBox* cbxAuditFailure() const { return cbxAuditFailure_; }
    QComboBox* cbSources() const { return cbSources_; }
    QComboBox* cbCategories() const { return cbCategories_; }
    QLineEdit* edUser() const { return edUser_; }
    QLineEdit* edComputer() const { return edComputer_; }
    QCheckBox* cbxUserSubstring() const { return cbxUserSubstring_; }
    QCheckBox* cbxComputerSubstring() const { return cbxComputerSubstring_; }
    QLineEdit* edEvents() const { return edEvents_; }
    QLineEdit* edDescriptionText() const { return edDescriptionText_; }
    QGroupBox* gbTime() const { return gbTime_; }
    QCheckBox* cbxDate() const { return cbxDate_; }
    QCheckBox* cbxTime() const { return cbxTime_; }
    QCheckBox* cbxSeparately() const { return cbxSeparately_; }
    QDateEdit* dtpFromDate() const { return dtpFromDate_; }
    QDateEdit* dtpToDate() const { return dtpToDate_; }
    QTimeEdit* dtpFromTime() const { return dtpFromTime_; }
    QTimeEdit* dtpToTime() const { return dtpToTime_; }
    QPushButton* btnLoad() const { return btnLoad_; }
    QPushButton* btnSave() const { return btnSave_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    QFileDialog* dlgLoad() const { return dlgLoad_; }
    QFileDialog* dlgSave() const { return dlgSave_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void Reset(const TNameList& sources, const TNameList& categories);
    void FormActivate();
    void cbxDateClick();
    void cbxTimeClick();
    void btnLoadClick();
    void btnSaveClick();

    QCheckBox* cbxInformation_ = nullptr;
    QCheckBox* cbxWarning_ = nullptr;
    QCheckBox* cbxError_ = nullptr;
    QCheckBox* cbxAuditSuccess_ = nullptr;
    QCheckBox* cbxAuditFailure_ = nullptr;
    QComboBox* cbSources_ = nullptr;
    QComboBox* cbCategories_ = nullptr;
    QLineEdit* edUser_ = nullptr;
    QLineEdit* edComputer_ = nullptr;
    QCheckBox* cbxUserSubstring_ = nullptr;
    QCheckBox* cbxComputerSubstring_ = nullptr;
    QLineEdit* edEvents_ = nullptr;
    QLineEdit* edDescriptionText_ = nullptr;
    QGroupBox* gbTime_ = nullptr;
    QCheckBox* cbxDate_ = nullptr;
    QCheckBox* cbxTime_ = nullptr;
    QCheckBox* cbxSeparately_ = nullptr;
    QDateEdit* dtpFromDate_ = nullptr;
    QDateEdit* dtpToDate_ = nullptr;
    QTimeEdit* dtpFromTime_ = nullptr;
    QTimeEdit* dtpToTime_ = nullptr;
    QPushButton* btnLoad_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QFileDialog* dlgLoad_ = nullptr;
    QFileDialog* dlgSave_ = nullptr;
};
