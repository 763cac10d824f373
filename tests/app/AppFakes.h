#pragma once
// Stand-ins for the main window and for the user's answers.

#include "app/LogWindowHost.h"
#include "app/UserPrompts.h"

#include "platform/MessageBoxTypes.h"

#include <QAction>
#include <QString>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class FakeHost : public TLogWindowHost {
public:
    std::vector<TfrmLogView*> closed;
    int syncs = 0;
    std::vector<QString> menuCaptions;
    bool newestFirst = false;
    bool oldestFirst = true;
    int sortChecks = 0;
    std::map<TLogCommand, std::unique_ptr<QAction>> actions;

    FakeHost()
    {
        for (TLogCommand c : {TLogCommand::Filter, TLogCommand::UndoLastFilter, TLogCommand::UndoAllFilters,
                              TLogCommand::Find, TLogCommand::FindNext, TLogCommand::Refresh})
            actions[c] = std::make_unique<QAction>(QStringLiteral("command"));
    }
    virtual ~FakeHost() = default;

    void LogWindowClosed(TfrmLogView* window) override { closed.push_back(window); }
    void SyncWithActiveLogWindow() override { ++syncs; }
    void SetWindowMenuCaption(TfrmLogView*, const QString& caption) override { menuCaptions.push_back(caption); }
    void CheckSortOrderItems(bool newest, bool oldest) override
    {
        newestFirst = newest;
        oldestFirst = oldest;
        ++sortChecks;
    }
    QAction* LogCommand(TLogCommand command) override { return actions.at(command).get(); }
};

// Answers every question as told and keeps what was asked.
class FakePrompts : public TUserPrompts {
public:
    struct Asked {
        QString text;
        QString caption;
        UINT flags;
        bool withCheck;
        QString checkText;
    };
    std::vector<Asked> asked;
    int answer = IDYES;
    // Answers to give first, one for each question.
    std::deque<int> answers;
    bool tick = false;
    // The save dialog's answer (empty: Cancel) and the titles it was shown with.
    QString saveFileName;
    std::vector<QString> saveTitles;
    // Each save dialog's filter, default extension and " ask" when it asks
    // before replacing a file.
    std::vector<QString> saveFilters;
    // The open dialog's answer, and each one's title and filter.
    QString openFileName;
    std::vector<QString> openDialogs;

    int MessageBox(QWidget*, const QString& text, const QString& caption, UINT flags) override
    {
        asked.push_back({text, caption, flags, false, {}});
        if ((flags & MB_TYPEMASK) == MB_OK)
            return IDOK;
        if (!answers.empty()) {
            const int next = answers.front();
            answers.pop_front();
            return next;
        }
        return answer;
    }
    int MessageBoxWithCheck(const QString& text, const QString& caption, UINT flags, bool& ticked,
                            const QString& checkText) override
    {
        asked.push_back({text, caption, flags, true, checkText});
        ticked = tick;
        return answer;
    }

    QString GetSaveFileName(QWidget*, const QString& title, const QString& filter, const QString& suffix,
                            bool confirmOverwrite) override
    {
        saveTitles.push_back(title);
        saveFilters.push_back(filter + QStringLiteral(" .") + suffix + (confirmOverwrite ? " ask" : ""));
        return saveFileName;
    }

    QString GetOpenFileName(QWidget*, const QString& title, const QString& filter) override
    {
        openDialogs.push_back(title + QStringLiteral(" | ") + filter);
        return openFileName;
    }
};
