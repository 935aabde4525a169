#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "core/IUserPrompt.h"

// The "ask the user" answers of the command-line tool: messages go to standard error
// as "Title: text" (led by the page's URL when they go to a writer), the append
// question is answered "append", and every other question is declined.
class ConsolePrompt final : public IUserPrompt
{
public:
    using Writer = std::function<void(const QByteArray& line)>;

    explicit ConsolePrompt(QString url = QString());
    // Messages go to writer instead of standard error, each as UTF-8 text ending in a
    // line feed.
    ConsolePrompt(QString url, Writer writer);

    PromptAnswer message(PromptIcon icon, const QString& title, const QString& text,
        PromptButtons buttons = PromptButtons::Ok) override;
    std::optional<bool> askDesiredAction(bool defappend) override;
    std::optional<Preferences> editPreferences(const Preferences& current) override;
    std::optional<UrlRequest> askUrl(const UrlDialogInput& input) override;
    std::optional<SequenceRequest> askSequence(const SequenceDialogInput& input) override;
    std::optional<SingleLinkRequest> askSingleLink(bool defappend) override;
    std::optional<SearchRequest> askSearch() override;
    std::optional<QStringList> manageFilters(const QStringList& entries) override;
    // Asks on the terminal; without one the question cannot be answered (nullopt).
    std::optional<FileExistsAnswer> askFileExists(const QString& proposedName) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    std::optional<SlideshowOptions> askSlideshowOptions(const SlideshowOptions&) override
    {
        return std::nullopt;
    }
    bool askSlideshowResume() override { return false; }
    void showAbout(const QString&) override { }
    QString openFileName(
        const QString& title, const QString& filter, const QString& initialPath) override;
    QString saveFileName(
        const QString& title, const QString& filter, const QString& initialPath) override;

    int messageCount() const { return m_messages; }
    // "File Exists" questions that could not be asked (no terminal) or were not
    // answered (end of input); each such file was skipped.
    int unanswered() const { return m_unanswered; }

private:
    int m_unanswered = 0;
    QString m_url;
    Writer m_writer;
    int m_messages = 0;
};
