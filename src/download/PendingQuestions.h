#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>

// The questions a download job puts one at a time: a taken name before a transfer or at
// the final rename, or a failed link's message to be seen. Each link waits in order of
// asking; one question is open at a time. Questions about names still waiting may be
// taken out of turn once an answer "for all" decides them.
class PendingQuestions final
{
public:
    enum class Kind { NameBeforeTransfer, NameAtRename, ErrorSeen };
    struct Question {
        int link = -1; // the link's index in the job
        Kind kind = Kind::ErrorSeen;
        QString text; // the taken name asked about, or the message to show
        bool aboutName() const { return kind != Kind::ErrorSeen; }
    };

    void add(Question question) { m_waiting.push_back(std::move(question)); }
    // Opens the next question when none is open; nullptr when none opened.
    const Question* openNext();
    const Question* open() const { return m_open ? &*m_open : nullptr; }
    // Closes the open question when it is of the kind answered; nullopt otherwise.
    std::optional<Question> close(bool aboutName);
    // Takes out the first question about a name still waiting that decided accepts.
    std::optional<Question> takeDecided(const std::function<bool(const Question&)>& decided);

private:
    std::deque<Question> m_waiting;
    std::optional<Question> m_open;
};
