#pragma once

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

#include "core/IUserPrompt.h"

// An "ask the user" implementation for tests: records every message and answers
// each question from a queue the test fills in advance. An unexpected question
// fails the test through the recorded log rather than blocking.
class ScriptedPrompt final : public IUserPrompt
{
public:
    struct Message {
        PromptIcon icon;
        QString title;
        QString text;
    };

    QList<Message> messages;
    int desiredActionAsked = 0;
    // Runs inside the "Select Desired Action" question, as an event arriving while it is
    // open would.
    std::function<void()> whileDesiredActionOpen;

    std::deque<PromptAnswer> messageAnswers;
    std::deque<std::optional<bool>> desiredActions;
    std::deque<std::optional<Preferences>> preferences;
    std::deque<std::optional<UrlRequest>> urls;
    std::deque<std::optional<SequenceRequest>> sequences;
    std::deque<std::optional<SingleLinkRequest>> singleLinks;
    std::deque<std::optional<SearchRequest>> searches;
    std::deque<std::optional<QStringList>> filterLists;
    std::deque<std::optional<SlideshowOptions>> slideshowOptions;
    std::deque<bool> slideshowResumes;
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<std::optional<SaveTarget>> exportTargets;
    std::deque<std::optional<FileExistsAnswer>> fileExistsAnswers;
    std::deque<QString> folders;
    QStringList fileExistsAsked; // the proposed names, in order

    PromptAnswer message(PromptIcon icon, const QString& title, const QString& text,
        PromptButtons buttons = PromptButtons::Ok) override
    {
        messages.append({ icon, title, text });
        if (!messageAnswers.empty())
            return take(messageAnswers);
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
    std::optional<bool> askDesiredAction(bool) override
    {
        ++desiredActionAsked;
        if (whileDesiredActionOpen)
            whileDesiredActionOpen();
        return takeOr(desiredActions, std::optional<bool>());
    }
    std::optional<Preferences> editPreferences(const Preferences&) override
    {
        return takeOr(preferences, std::optional<Preferences>());
    }
    std::optional<UrlRequest> askUrl(const UrlDialogInput& input) override
    {
        lastUrlInput = input;
        return takeOr(urls, std::optional<UrlRequest>());
    }
    std::optional<SequenceRequest> askSequence(const SequenceDialogInput&) override
    {
        return takeOr(sequences, std::optional<SequenceRequest>());
    }
    std::optional<SingleLinkRequest> askSingleLink(bool) override
    {
        return takeOr(singleLinks, std::optional<SingleLinkRequest>());
    }
    std::optional<SearchRequest> askSearch() override
    {
        return takeOr(searches, std::optional<SearchRequest>());
    }
    std::optional<QStringList> manageFilters(const QStringList&) override
    {
        return takeOr(filterLists, std::optional<QStringList>());
    }
    std::optional<FileExistsAnswer> askFileExists(const QString& proposedName) override
    {
        fileExistsAsked.append(proposedName);
        return takeOr(fileExistsAnswers, std::optional<FileExistsAnswer>());
    }
    QString chooseFolder(const QString& title, const QString& initial) override
    {
        lastPickerTitle = title;
        lastPickerInitial = initial;
        return takeOr(folders, QString());
    }
    std::optional<SlideshowOptions> askSlideshowOptions(const SlideshowOptions& stored) override
    {
        lastSlideshowStored = stored;
        ++slideshowOptionsAsked;
        return takeOr(slideshowOptions, std::optional<SlideshowOptions>());
    }
    bool askSlideshowResume() override
    {
        ++slideshowPausesAsked;
        return takeOr(slideshowResumes, false);
    }
    void showAbout(const QString&) override { ++aboutShown; }
    QString openFileName(const QString& title, const QString&, const QString& initial) override
    {
        lastPickerTitle = title;
        lastPickerInitial = initial;
        return takeOr(openNames, QString());
    }
    QString saveFileName(const QString& title, const QString&, const QString& initial) override
    {
        lastPickerTitle = title;
        lastPickerInitial = initial;
        return takeOr(saveNames, QString());
    }
    std::optional<SaveTarget> exportFileName(
        const QString& title, const QString&, const QString& initial) override
    {
        lastPickerTitle = title;
        lastPickerInitial = initial;
        return takeOr(exportTargets, std::optional<SaveTarget>());
    }

    UrlDialogInput lastUrlInput;
    SlideshowOptions lastSlideshowStored;
    int slideshowOptionsAsked = 0;
    int slideshowPausesAsked = 0;
    int aboutShown = 0;
    QString lastPickerTitle;
    QString lastPickerInitial;

    QStringList titles() const
    {
        QStringList t;
        for (const Message& m : messages)
            t.append(m.title);
        return t;
    }

private:
    template <typename T> static T take(std::deque<T>& q)
    {
        T v = q.front();
        q.pop_front();
        return v;
    }
    template <typename T> static T takeOr(std::deque<T>& q, T fallback)
    {
        return q.empty() ? fallback : take(q);
    }
};
