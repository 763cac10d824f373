#include "UserPrompts.h"

#include "Application.h"
#include "dwy_dlgs.h"

#include "platform/MessageBoxTypes.h"
#include "platform/WindowBounds.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<QMessageBox::StandardButton, int>> buttonsOf(UINT flags)
{
    using B = QMessageBox;
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{B::Ok, IDOK}, {B::Cancel, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{B::Abort, IDABORT}, {B::Retry, IDRETRY}, {B::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{B::Yes, IDYES}, {B::No, IDNO}, {B::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{B::Yes, IDYES}, {B::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{B::Retry, IDRETRY}, {B::Cancel, IDCANCEL}};
        break;
    default:
        buttons = {{B::Ok, IDOK}};
        break;
    }
    if (flags & MB_HELP)
        buttons.emplace_back(B::Help, IDHELP);
    return buttons;
}

QMessageBox::Icon iconOf(UINT flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// A text's line breaks as a message box shows them: CR LF and a lone CR
// (the platform's own line break in message texts) become LF.
QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

// The platform's message box.  Esc, and closing from the title bar, answer
// Cancel where the box has a Cancel button, else OK where it has an OK
// button; a box with neither (Yes/No, Abort/Retry/Ignore) can only be
// answered by its buttons.  Yes and No have their mnemonics: their letters
// answer, with or without Alt.
class TPlatformMessageBox final : public QMessageBox {
public:
    TPlatformMessageBox(UINT flags, const QString& caption, const QString& text, QWidget* owner)
        : QMessageBox(iconOf(flags), caption, displayText(text), QMessageBox::NoButton, owner)
    {
        // Names from other computers are shown as they are, never as markup.
        setTextFormat(Qt::PlainText);
        // The platform's boxes are centred on the screen, frame included.
        platform::CentreOnScreenWhenShown(*this);
        for (const auto& [kind, id] : buttonsOf(flags)) {
            QPushButton* button = addButton(kind);
            if (kind == Yes)
                button->setText(QStringLiteral("&Yes"));
            else if (kind == No)
                button->setText(QStringLiteral("&No"));
            added_.push_back({button, id});
        }
        // The default button (the first when the flags name one past the
        // last) has the focus, so Enter answers with it at once.
        const std::size_t preferred = (flags >> 8) & 3;
        setDefaultButton(added_.at(preferred < added_.size() ? preferred : 0).first);

        QPushButton* escape = nullptr;
        for (const auto& [button, id] : added_)
            if (id == IDCANCEL || (id == IDOK && !escape))
                escape = button;
        escapes_ = escape != nullptr;
        if (escape)
            setEscapeButton(escape);
        else
            RemoveCloseCommand(this);
    }

    // The answer of the button that closed the box; IDCANCEL when none did.
    int Answer() const
    {
        for (const auto& [button, id] : added_)
            if (button == clickedButton())
                return id;
        return IDCANCEL;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!escapes_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

private:
    std::vector<std::pair<QPushButton*, int>> added_;
    bool escapes_ = false;
};

// The real dialogs.
class TDialogPrompts final : public TUserPrompts {
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT flags) override
    {
        TPlatformMessageBox box(flags, caption, text, owner);
        box.exec();
        return box.Answer();
    }

    int MessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool& ticked,
                            const QString& checkText) override
    {
        return ::MessageBoxWithCheck(text, caption, flags, ticked, checkText);
    }

    QString GetSaveFileName(QWidget* owner, const QString& title, const QString& filter,
                            const QString& defaultSuffix, bool confirmOverwrite) override
    {
        QFileDialog dialog(owner, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(defaultSuffix);
        // Without the question a file that is there already is refused by
        // the writer with its own message.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    QString GetOpenFileName(QWidget* owner, const QString& title, const QString& filter) override
    {
        QFileDialog dialog(owner, title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(filter);
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }
};

TUserPrompts*& currentPrompts()
{
    static TUserPrompts* current = nullptr;
    return current;
}

} // namespace

QString TUserPrompts::GetSaveFileName(QWidget*, const QString&, const QString&, const QString&, bool)
{
    return {};
}

QString TUserPrompts::GetOpenFileName(QWidget*, const QString&, const QString&)
{
    return {};
}

TUserPrompts& UserPrompts()
{
    static TDialogPrompts dialogs;
    TUserPrompts* current = currentPrompts();
    return current ? *current : dialogs;
}

ScopedUserPrompts::ScopedUserPrompts(TUserPrompts& prompts)
    : previous_(currentPrompts())
{
    currentPrompts() = &prompts;
}

ScopedUserPrompts::~ScopedUserPrompts()
{
    currentPrompts() = previous_;
}

void ShowException(QWidget* owner, const char* message)
{
    UserPrompts().MessageBox(owner, QString::fromUtf8(message), QString::fromLatin1(kApplicationTitle),
                             MB_OK | MB_ICONERROR);
}
