#include "HelpWindow.h"

#include "ErrorCodes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace platform {
namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 560;

QUrl topicUrl(const std::string& topic)
{
    const std::string::size_type hash = topic.find('#');
    QUrl url;
    url.setScheme(QString::fromLatin1(ChmBrowser::kScheme));
    url.setPath(QString::fromUtf8(topic.substr(0, hash)));
    if (hash != std::string::npos)
        url.setFragment(QString::fromUtf8(topic.substr(hash + 1)));
    return url;
}

QString notFoundPage(const ChmFile& file, const std::string& topic)
{
    return QStringLiteral("<html><head><title>Topic not found</title></head><body><h2>Topic not found</h2>"
                          "<p>The help file %1 has no topic %2.</p></body></html>")
        .arg(QString::fromStdString(file.Path()).toHtmlEscaped(), QString::fromUtf8(topic).toHtmlEscaped());
}

} // namespace

ChmBrowser::ChmBrowser(QWidget* parent)
    : QTextBrowser(parent)
{
    // Links within the file are followed here; any other goes to the
    // desktop (a web page, a mail address).
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &ChmBrowser::Follow);
}

void ChmBrowser::SetFile(std::shared_ptr<const ChmFile> file)
{
    file_ = std::move(file);
    clearHistory();
}

std::string ChmBrowser::ObjectName(const QUrl& url)
{
    if (url.scheme() != QLatin1String(kScheme))
        return {};
    return url.path().toStdString();
}

QVariant ChmBrowser::loadResource(int type, const QUrl& name)
{
    const std::string object = ObjectName(name);
    if (object.empty() || !file_)
        return QTextBrowser::loadResource(type, name);
    std::vector<BYTE> bytes;
    if (file_->Read(object, bytes) != ERROR_SUCCESS)
        return {};
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

void ChmBrowser::Follow(const QUrl& url)
{
    if (url.scheme() == QLatin1String(kScheme) || url.isRelative())
        setSource(source().resolved(url));
    else
        QDesktopServices::openUrl(url);
}

HelpWindow::HelpWindow()
{
    setWindowFlag(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(this);
    auto button = [this, bar](QStyle::StandardPixmap icon, const QString& text) {
        auto* made = new QToolButton(bar);
        made->setIcon(style()->standardIcon(icon));
        made->setText(text);
        made->setToolTip(text);
        made->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        made->setAutoRaise(true);
        bar->addWidget(made);
        return made;
    };
    back_ = button(QStyle::SP_ArrowBack, QStringLiteral("Back"));
    forward_ = button(QStyle::SP_ArrowForward, QStringLiteral("Forward"));
    home_ = button(QStyle::SP_DirHomeIcon, QStringLiteral("Home"));
    layout->addWidget(bar);
    browser_ = new ChmBrowser(this);
    layout->addWidget(browser_, 1);
    resize(kWidth, kHeight);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, [this] { GoHome(); });
    connect(browser_, &QTextBrowser::historyChanged, this, [this] { UpdateButtons(); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        topic_ = ChmBrowser::ObjectName(url);
        if (!url.fragment().isEmpty())
            topic_ += "#" + url.fragment().toStdString();
        topicFound_ = file_ && file_->Contains(ChmBrowser::ObjectName(url));
    });
    UpdateButtons();
}

DWORD HelpWindow::ShowTopic(const std::string& path, const std::string& topic)
{
    // Another file becomes the window's only once its topic could be read.
    std::shared_ptr<ChmFile> file = file_;
    if (!file || file->Path() != path) {
        file = std::make_shared<ChmFile>();
        if (const DWORD code = file->Open(path))
            return code;
    }
    std::string wanted = topic.empty() ? file->DefaultTopic() : topic;
    if (wanted.empty())
        wanted = "/index.html";
    if (wanted.front() != '/')
        wanted.insert(0, "/");
    const QUrl url = topicUrl(wanted);
    std::vector<BYTE> page;
    const DWORD read = file->Read(ChmBrowser::ObjectName(url), page);
    if (read == ERROR_FILE_CORRUPT)
        return read;
    if (file != file_) {
        file_ = file;
        browser_->SetFile(file_);
    }
    if (read == ERROR_SUCCESS) {
        browser_->setSource(url);
        topic_ = wanted;
        topicFound_ = true;
    } else {
        browser_->setHtml(notFoundPage(*file_, wanted));
        topic_ = wanted;
        topicFound_ = false;
    }
    const QString title = QString::fromStdString(file_->Title());
    setWindowTitle(title.isEmpty() ? QStringLiteral("Help") : title);
    return ERROR_SUCCESS;
}

void HelpWindow::GoHome()
{
    if (file_)
        ShowTopic(file_->Path(), {});
}

void HelpWindow::UpdateButtons()
{
    back_->setEnabled(browser_->isBackwardAvailable());
    forward_->setEnabled(browser_->isForwardAvailable());
}

void HelpWindow::FollowModalDialog()
{
    // While a modal dialog of the program is open the help window goes with
    // it: the dialog does not block it (it is the dialog's transient), and
    // it stays on top of the other windows as long as the dialog does, so
    // that it can come in front of it.  Once no dialog is open it belongs
    // to the desktop again.
    QWindow* window = windowHandle();
    if (!window)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this)
        modal = nullptr;
    if (followed_ != modal) {
        if (followed_)
            followed_->removeEventFilter(this);
        followed_ = modal;
        if (modal)
            modal->installEventFilter(this);
    }
    QWindow* dialog = modal ? modal->windowHandle() : nullptr;
    if (window->transientParent() != dialog)
        window->setTransientParent(dialog);
    const bool onTop = modal && modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
        // The window system is told at once: the widget's own way would
        // make the window anew, hidden.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    }
}

void HelpWindow::ShowInFront()
{
    create();
    FollowModalDialog();
    show();
    raise();
    activateWindow();
}

bool HelpWindow::event(QEvent* event)
{
    // A modal dialog opened while the window is shown.
    if (event->type() == QEvent::WindowBlocked)
        FollowModalDialog();
    return QWidget::event(event);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The dialog it goes with closed: once it has left, the window goes
    // with the next modal dialog, or with none.
    if (watched == followed_ && event->type() == QEvent::Hide)
        QTimer::singleShot(0, this, [this] { FollowModalDialog(); });
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
