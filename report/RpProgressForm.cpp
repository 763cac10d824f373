#include "RpProgressForm.h"

#include "RpFormTexts.h"
#include "RpGlobals.h"
#include "RpReport.h"
#include "RpWindowFont.h"

#include "platform/WindowBounds.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace report {

namespace {

constexpr int kCancelText = 55001;
// The window's private message that starts the run inside its modal loop.
const QEvent::Type kStartRun = static_cast<QEvent::Type>(QEvent::User + 1);

} // namespace

TrpProgressForm::TrpProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint),
      Label1(new QLabel(this)), Label2(new QLabel(this)), Button1(new QPushButton(this))
{
    setFont(EngineWindowFont());
    setFixedSize(278, 106);
    Label1->setGeometry(20, 26, 237, 13);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setGeometry(20, 42, 237, 13);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Button1->setGeometry(100, 68, 75, 25);
    Button1->setText(FormText(kCancelText, "Cancel"));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    // Centred on the screen, frame included, every time it opens.
    platform::CentreOnScreenWhenShown(*this);
}

TrpProgressForm::~TrpProgressForm() = default;

int TrpProgressForm::RunModal(TrpReport& report)
{
    if (running_)
        return kCancel;
    Button1->setText(FormText(kCancelText, "Cancel"));
    Report = &report;
    Label2->clear();
    running_ = true;
    startPending_ = true;
    QCoreApplication::postEvent(this, new QEvent(kStartRun));
    setResult(0);
    const int result = exec();
    running_ = false;
    startPending_ = false;
    return result == kOk ? kOk : kCancel;
}

void TrpProgressForm::SetModalResult(int result)
{
    if (running_)
        done(result);
}

void TrpProgressForm::Button1Click()
{
    if (Report != nullptr)
        Report->Terminated = true;
    SetModalResult(kCancel);
}

bool TrpProgressForm::event(QEvent* event)
{
    if (event->type() != kStartRun)
        return QDialog::event(event);
    // A start message left over from a run that was cancelled before it
    // began is not a run.
    if (startPending_ && running_ && isVisible()) {
        startPending_ = false;
        if (OnBeforeModal)
            OnBeforeModal(*this);
    }
    return true;
}

void TrpProgressForm::reject()
{
    Button1Click();
}

void TrpProgressForm::closeEvent(QCloseEvent* event)
{
    // The window has no close box; a close from the window manager is a
    // Cancel, and the run ends the window.
    event->ignore();
    if (running_)
        Button1Click();
}

namespace {

std::unique_ptr<TrpProgressForm>& ProgressSlot()
{
    static std::unique_ptr<TrpProgressForm> form;
    return form;
}

} // namespace

TrpProgressForm& EngineProgressForm()
{
    std::unique_ptr<TrpProgressForm>& form = ProgressSlot();
    if (form == nullptr) {
        form = std::make_unique<TrpProgressForm>();
        // Freed with the application: its post routines run before the
        // widgets' infrastructure goes.
        qAddPostRoutine([] {
            EngineGlobals().ShowProgressText = nullptr;
            ProgressSlot().reset();
        });
        EngineGlobals().ShowProgressText = [](const std::string& text) {
            if (const auto& window = ProgressSlot())
                window->Label2->setText(QString::fromStdString(text));
        };
    }
    return *form;
}

} // namespace report
