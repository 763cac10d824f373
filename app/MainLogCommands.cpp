// The main window's commands on one log: saving it to a backup file,
// clearing it, and its properties.

#include "main.h"

#include "UserPrompts.h"
#include "logprop.h"
#include "logview.h"

#include "platform/MessageBoxTypes.h"

#include <QFileInfo>
#include <QTreeWidget>

namespace {

constexpr char kLocalMark[] = "(Local)";
constexpr char kClearLogCaption[] = "Clear Log";

// The reader is inactive again however the work ends.
class ActiveReader {
public:
    explicit ActiveReader(TNTEventLog& reader)
        : reader_(reader)
    {
        reader_.SetActive(true);
    }
    ~ActiveReader()
    {
        try {
            reader_.SetActive(false);
        } catch (...) {
            // The failure of the work is the one reported.
        }
    }
    ActiveReader(const ActiveReader&) = delete;
    ActiveReader& operator=(const ActiveReader&) = delete;

private:
    TNTEventLog& reader_;
};

} // namespace

bool TfrmQORVMain::IsLocalComputer(const QString& computer) const
{
    return computer.isEmpty() || computer.contains(QString::fromLatin1(kLocalMark)) ||
           computer.compare(localName_, Qt::CaseInsensitive) == 0;
}

QString TfrmQORVMain::ShownComputerName(const QString& computer) const
{
    return computer.isEmpty() ? localName_ : computer;
}

bool TfrmQORVMain::SaveLogAs(const QString& computer, const QString& log)
{
    const bool isFile = computer == QString::fromLatin1(kFileComputer);
    const QString title = isFile ? QStringLiteral("Save %1 As").arg(log)
                                 : QStringLiteral("Save %1 on %2 As").arg(log, ShownComputerName(computer));
    const QString target = UserPrompts().GetSaveFileName(this, title, QStringLiteral("Event log files (*.evt)"),
                                                         QStringLiteral("evt"));
    if (target.isEmpty())
        return false;
    if (isFile) {
        reader_.SetMachineName({});
        reader_.SetBackupFileName(log.toStdString());
    } else {
        reader_.SetBackupFileName({});
        reader_.SetMachineName(IsLocalComputer(computer) ? std::string() : computer.toStdString());
        reader_.SetSourceName(log.toStdString());
    }
    const ActiveReader active(reader_);
    reader_.SetBackupFileName(target.toStdString());
    try {
        reader_.Backup();
    } catch (...) {
        reader_.SetBackupFileName({});
        throw;
    }
    reader_.SetBackupFileName({});
    return true;
}

void TfrmQORVMain::ClearLog(const QString& computer, const QString& log)
{
    QString name = computer;
    if (IsLocalComputer(computer)) {
        name = localName_;
        reader_.SetMachineName({});
    } else {
        reader_.SetMachineName(computer.toStdString());
        // Log windows carry the name without backslashes (a tree node may
        // hold it as typed): every window of the cleared log is reloaded.
        name.remove(u'\\');
    }
    reader_.SetSourceName(log.toStdString());
    {
        const ActiveReader active(reader_);
        reader_.Clear();
    }
    for (TfrmLogView* window : LogWindows())
        if (window->ComputerName().compare(name, Qt::CaseInsensitive) == 0 &&
            window->LogName().compare(log, Qt::CaseInsensitive) == 0)
            window->LoadEvents(window->LogName());
}

void TfrmQORVMain::ClearLogAsked(const QString& computer, const QString& log)
{
    const QString caption = QString::fromLatin1(kClearLogCaption);
    if (computer == QString::fromLatin1(kFileComputer)) {
        UserPrompts().MessageBox(this, QStringLiteral("You cannot clear event log file"), caption,
                                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int answer = UserPrompts().MessageBox(
        nullptr, QStringLiteral("Do you want to save %1 on %2 before clearing it?").arg(log, ShownComputerName(computer)),
        caption, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
        if (SaveLogAs(computer, log))
            ClearLog(computer, log);
    } else if (answer == IDNO) {
        ClearLog(computer, log);
    }
}

TfrmLogProperties& TfrmQORVMain::LogPropertiesForm()
{
    return ApplicationForm(ownLogPropertiesForm_);
}

void TfrmQORVMain::ShowLogProperties(const QString& computer, const QString& log)
{
    TfrmLogProperties& dialog = LogPropertiesForm();
    dialog.SetComputerName(IsLocalComputer(computer) ? QString() : computer);
    dialog.SetLogName(log);
    dialog.SetOnClearLog([this](const QString& on, const QString& name) { ClearLogAsked(on, name); });
    dialog.exec();
    dialog.SetOnClearLog(nullptr);
}

void TfrmQORVMain::actLogPropertiesExecute()
{
    if (TfrmLogView* window = ActiveLogWindow())
        ShowLogProperties(window->ComputerName(), window->LogName());
}

void TfrmQORVMain::pmitLogPropertiesClick()
{
    QString computer;
    QString log;
    if (SelectedLog(computer, log))
        ShowLogProperties(computer, log);
}

bool TfrmQORVMain::SelectedLog(QString& computer, QString& log) const
{
    const QList<QTreeWidgetItem*> selected = tvComputers()->selectedItems();
    if (selected.isEmpty() || !selected.first()->parent())
        return false;
    const QTreeWidgetItem* node = selected.first();
    computer = node->parent()->text(0);
    log = node->text(0);
    return true;
}

void TfrmQORVMain::BindLogCommands()
{
    Bind(actOpenLogFile_, [this] { actOpenLogFileExecute(); });
    Bind(actRefresh_, [this] { actRefreshExecute(); });
    // A command on a log, for the active window's (nothing without one) and
    // for the popup's selected log node (nothing without one).
    auto bindForLogs = [this](QAction* windowCommand, QAction* popupCommand,
                              std::function<void(const QString& computer, const QString& log)> command) {
        Bind(windowCommand, [this, command] {
            if (TfrmLogView* window = ActiveLogWindow())
                command(window->ComputerName(), window->LogName());
        });
        Bind(popupCommand, [this, command] {
            QString computer;
            QString log;
            if (SelectedLog(computer, log))
                command(computer, log);
        });
    };
    bindForLogs(actSaveLogAs_, pmitSaveLogAs_, [this](const QString& c, const QString& l) { SaveLogAs(c, l); });
    bindForLogs(actClearLog_, pmitClearLog_, [this](const QString& c, const QString& l) { ClearLogAsked(c, l); });
    Bind(mmitExportToHTML_, [this] { mmitExportClick(mmitExportToHTML_); });
    Bind(mmitExportToText_, [this] { mmitExportClick(mmitExportToText_); });
}

void TfrmQORVMain::actOpenLogFileExecute()
{
    const QString title = QStringLiteral("Open Backup Event Log File");
    const QString path = UserPrompts().GetOpenFileName(this, title, QStringLiteral("Event log files (*.evt)"));
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        return; // a file that is not there is ignored without a message
    // A FIFO or a device would hold the window until something writes to it.
    if (!file.isFile()) {
        UserPrompts().MessageBox(this, QStringLiteral("%1: not a regular file").arg(path), title,
                                 MB_OK | MB_ICONERROR);
        return;
    }
    CreateLogWindow(QString::fromLatin1(kFileComputer), path);
}

void TfrmQORVMain::actRefreshExecute()
{
    if (TfrmLogView* window = ActiveLogWindow())
        window->LoadEvents(window->LogName());
}
