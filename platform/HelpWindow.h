#pragma once
// The window of the platform's HTML help: one window, reused for every
// topic, showing the pages of a compiled help file with their links,
// images and anchors, with Back, Forward and Home.  It stays usable while
// a modal dialog of the program is open, as the platform's help window is,
// and comes in front of that dialog when help is asked.

#include "ChmFile.h"

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <memory>

class QToolButton;

namespace platform {

// The pages of one help file in a text browser: "chm:" URLs name the
// objects of the file ("chm:/interface.html#EventLogWindow").
class ChmBrowser : public QTextBrowser {
    Q_OBJECT

public:
    static constexpr char kScheme[] = "chm";

    explicit ChmBrowser(QWidget* parent = nullptr);

    void SetFile(std::shared_ptr<const ChmFile> file);
    const ChmFile* File() const { return file_.get(); }
    // The object of the file that a URL names, or empty for another URL.
    static std::string ObjectName(const QUrl& url);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Follow(const QUrl& url);

    std::shared_ptr<const ChmFile> file_;
};

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow();

    // Shows a topic ("/page.html#anchor") of a help file; the file is
    // opened anew when it is another one.  ERROR_SUCCESS (a topic the file
    // does not hold shows a page that says so), or the error of opening
    // the file (ERROR_FILE_NOT_FOUND, ERROR_FILE_CORRUPT).
    DWORD ShowTopic(const std::string& path, const std::string& topic);

    // Shows the window in front of the program's windows and activates it;
    // in front of the modal dialog that is open, if any.
    void ShowInFront();

    ChmBrowser* Browser() const { return browser_; }
    // The topic shown, as a path with its anchor; whether the file holds it.
    const std::string& Topic() const { return topic_; }
    bool TopicFound() const { return topicFound_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowModalDialog();
    void GoHome();
    void UpdateButtons();

    ChmBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* home_ = nullptr;
    std::shared_ptr<ChmFile> file_;
    // The modal dialog the window goes with.
    QPointer<QWidget> followed_;
    std::string topic_;
    bool topicFound_ = false;
};

} // namespace platform
