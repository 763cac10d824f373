#pragma once
// The form of a dialog page: a dialog that remembers the result it was
// closed with, so that a script or control that closes it before it is
// shown spares the modal loop.

#include <QDialog>

namespace report {

class TrpDialogForm : public QDialog {
public:
    // Modal results as scripts and controls give them.
    static constexpr int kNone = 0;
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    using QDialog::QDialog;

    void done(int result) override;
    int ModalResult() const { return modalResult_; }
    // A script's MODALRESULT: any result but none closes the form with it;
    // none keeps the form open.
    void SetModalResult(int result);

private:
    int modalResult_ = kNone;
};

} // namespace report
