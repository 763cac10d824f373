#pragma once
// The select computer dialog of the Add computer command: the local
// computer, or another one typed or chosen by browsing the network.

#include <QDialog>
#include <QString>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TSelectCompForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 400;

    explicit TSelectCompForm(QWidget* parent = nullptr);

    // Shows the dialog modally.  On OK, `name` is empty for the local
    // computer, else the text of the edit as typed (not trimmed); on Cancel
    // it is empty and the result false.
    bool Execute(QString& name);

    QGroupBox* GroupBox() const { return groupBox_; }
    QRadioButton* rbLocalComp() const { return rbLocalComp_; }
    QRadioButton* rbAnotherComp() const { return rbAnotherComp_; }
    QLineEdit* edComputer() const { return edComputer_; }
    QPushButton* btnBrowseForNetwork() const { return btnBrowseForNetwork_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    // The edit and Browse are usable exactly when "Another computer" is
    // chosen.
    void RadioClick();
    void btnBrowseForNetworkClick();

    QGroupBox* groupBox_ = nullptr;
    QRadioButton* rbLocalComp_ = nullptr;
    QRadioButton* rbAnotherComp_ = nullptr;
    QLineEdit* edComputer_ = nullptr;
    QPushButton* btnBrowseForNetwork_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};
