#pragma once
// The progress window of report runs: shown modally while a report is
// built, printed or exported.  The long work starts from inside the
// window's own modal loop (OnBeforeModal) and ends it with a result; its
// Cancel button (and Esc) asks the report to stop.  The engine keeps one
// window for the process (EngineProgressForm).

#include <QDialog>
#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;

namespace report {

class TrpReport;

class TrpProgressForm : public QDialog {
public:
    // The modal results.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    explicit TrpProgressForm(QWidget* parent = nullptr);
    ~TrpProgressForm() override;

    // Shows the window modally for the report and runs OnBeforeModal once
    // the modal loop runs; returns the result the run ended it with (kOk,
    // kCancel).  Not re-entrant: a run inside a run is refused with kCancel.
    int RunModal(TrpReport& report);
    // Ends the modal run with kOk or kCancel (the run's last step).
    void SetModalResult(int result);
    bool Running() const { return running_; }

    // Cancel: sets the report's terminate flag and ends with kCancel.
    void Button1Click();

    // The report being built (not owned).
    QPointer<TrpReport> Report;
    // The long work, run once the modal loop is running.
    std::function<void(TrpProgressForm& sender)> OnBeforeModal;
    // The label prefix of the current phase ("Processing page:").
    QString FirstCaption;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;

protected:
    bool event(QEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool running_ = false;
    // The start message of the current run; stale ones are passed over.
    bool startPending_ = false;
};

// The engine's one progress window, made on first use (a QApplication must
// exist) and freed with the application.  While it exists, a script's
// PROGRESS text goes to its second line.
TrpProgressForm& EngineProgressForm();

} // namespace report
