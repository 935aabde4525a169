#include "download/PendingQuestions.h"

#include <algorithm>
#include <utility>

const PendingQuestions::Question* PendingQuestions::openNext()
{
    if (m_open || m_waiting.empty())
        return nullptr;
    m_open = std::move(m_waiting.front());
    m_waiting.pop_front();
    return &*m_open;
}

std::optional<PendingQuestions::Question> PendingQuestions::close(bool aboutName)
{
    if (!m_open || m_open->aboutName() != aboutName)
        return std::nullopt;
    return std::exchange(m_open, std::nullopt);
}

std::optional<PendingQuestions::Question> PendingQuestions::takeDecided(
    const std::function<bool(const Question&)>& decided)
{
    const auto it = std::find_if(m_waiting.begin(), m_waiting.end(),
        [&](const Question& question) { return question.aboutName() && decided(question); });
    if (it == m_waiting.end())
        return std::nullopt;
    Question taken = std::move(*it);
    m_waiting.erase(it);
    return taken;
}
