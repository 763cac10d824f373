#include "UserPrompts.h"

#include "Application.h"
#include "dwy_dlgs.h"

#include "platform/MessageBoxTypes.h"

#include <QFileDialog>
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

// The real dialogs.
class TDialogPrompts final : public TUserPrompts {
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, UINT flags) override
    {
        QMessageBox box(iconOf(flags), caption, displayText(text), QMessageBox::NoButton, owner);
        // Names from other computers are shown as they are, never as markup.
        box.setTextFormat(Qt::PlainText);
        const auto buttons = buttonsOf(flags);
        std::vector<QPushButton*> added;
        for (const auto& [button, id] : buttons)
            added.push_back(box.addButton(button));
        const std::size_t preferred = (flags >> 8) & 3;
        if (preferred < added.size())
            box.setDefaultButton(added[preferred]);
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (const auto& [button, id] : buttons)
            if (button == clicked)
                return id;
        return IDCANCEL;
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
