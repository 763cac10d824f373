// The dialog pages of a template: the form shown before a report is built.

#include "RpDialogPage.h"

#include "RpPage.h"

#include "platform/WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>

namespace report {

namespace {

// Border styles of a dialog page: 3 a fixed dialog frame, 2 sizeable.
constexpr std::uint8_t kSizeable = 2;
constexpr std::uint8_t kScreenCenter = 4;

} // namespace

void TrpDialogForm::done(int result)
{
    modalResult_ = result;
    QDialog::done(result);
}

void TrpDialogForm::SetModalResult(int result)
{
    if (result == kNone)
        modalResult_ = kNone;
    else
        done(result);
}

bool TrpPage::PrepareDialog()
{
    form_ = std::make_unique<TrpDialogForm>();
    form_->setObjectName(QString::fromStdString(Name));
    TrpViewHost& host = PageHost();
    int visual = 0;
    for (const auto& view : Objects) {
        view->ParentPage = this;
        if (auto* component = dynamic_cast<TrpNonVisualControl*>(view.get())) {
            host.NonVisualControl(*component);
        } else if (auto* control = dynamic_cast<TrpControl*>(view.get())) {
            if (QWidget* widget = control->PlaceOnForm(*form_))
                widget->setVisible(control->Visible);
            ++visual;
        }
    }
    if (visual == 0 || !Visible) {
        RunScript();
        return true;
    }

    const bool progressShown = host.SetProgressVisible(false);
    form_->setWindowTitle(QString::fromStdString(Caption));
    if (BorderStyle != kSizeable)
        form_->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    QPalette palette = form_->palette();
    palette.setColor(QPalette::Window, ColorFromValue(static_cast<std::uint32_t>(Color)));
    form_->setPalette(palette);
    form_->setAutoFillBackground(true);
    // The form's left, top, width and height are those of its outer
    // rectangle, frame and title bar included; centred, so is that.
    QRect bounds(FormLeft, FormTop, FormWidth, FormHeight);
    if (Position == kScreenCenter)
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            bounds.moveTopLeft(QPoint(area.left() + (area.width() - bounds.width()) / 2,
                                      area.top() + (area.height() - bounds.height()) / 2));
        }
    if (BorderStyle != kSizeable)
        form_->setFixedSize(bounds.size());
    platform::SetWindowBounds(*form_, bounds);

    // The page script is the form's activation.
    try {
        RunScript();
    } catch (...) {
        host.CalculationError(std::current_exception());
    }
    const int result = form_->ModalResult() != TrpDialogForm::kNone ? form_->ModalResult() : form_->exec();
    host.SetProgressVisible(progressShown);
    return result != TrpDialogForm::kNone && result != TrpDialogForm::kCancel;
}

void TrpPage::UnprepareDialog()
{
    for (const auto& view : Objects)
        if (auto* control = dynamic_cast<TrpControl*>(view.get()))
            control->RemoveFromForm();
    form_.reset();
}

} // namespace report
