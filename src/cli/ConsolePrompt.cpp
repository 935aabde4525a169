#include "cli/ConsolePrompt.h"

#include <cstdio>

ConsolePrompt::ConsolePrompt(QString url)
    : m_url(std::move(url))
{
}

ConsolePrompt::ConsolePrompt(QString url, Writer writer)
    : m_url(std::move(url))
    , m_writer(std::move(writer))
{
}

PromptAnswer ConsolePrompt::message(
    PromptIcon, const QString& title, const QString& text, PromptButtons buttons)
{
    ++m_messages;
    QString line = text;
    line.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    const QByteArray out = (title + QStringLiteral(": ") + line + QLatin1Char('\n')).toUtf8();
    if (m_writer) {
        m_writer(out);
        return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
}

std::optional<bool> ConsolePrompt::askDesiredAction(bool)
{
    return true;
}

std::optional<Preferences> ConsolePrompt::editPreferences(const Preferences&)
{
    return std::nullopt;
}

std::optional<UrlRequest> ConsolePrompt::askUrl(const UrlDialogInput&)
{
    if (m_url.isEmpty())
        return std::nullopt;
    return UrlRequest { m_url, false };
}

std::optional<SequenceRequest> ConsolePrompt::askSequence(const SequenceDialogInput&)
{
    return std::nullopt;
}

std::optional<SingleLinkRequest> ConsolePrompt::askSingleLink(bool)
{
    return std::nullopt;
}

std::optional<SearchRequest> ConsolePrompt::askSearch()
{
    return std::nullopt;
}

std::optional<QStringList> ConsolePrompt::manageFilters(const QStringList&)
{
    return std::nullopt;
}

QString ConsolePrompt::openFileName(const QString&, const QString&, const QString&)
{
    return QString();
}

QString ConsolePrompt::saveFileName(const QString&, const QString&, const QString&)
{
    return QString();
}
