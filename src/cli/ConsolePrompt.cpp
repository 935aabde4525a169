#include "cli/ConsolePrompt.h"

#include <QFile>

#include "cli/ConsoleText.h"
#include "download/DownloadNames.h"
#include <cstdio>
#include <unistd.h>

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
    // Written for a page of several (m_writer), the lines name the page's URL.
    const QByteArray out = ConsoleText::lines(
        title + QStringLiteral(": ") + text, m_writer ? m_url + QStringLiteral(": ") : QString());
    if (m_writer) {
        m_writer(out);
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
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
    return std::nullopt;
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

namespace
{

// Writes text on standard error after the program's name; line ends that lead the text
// stay in front of the name.
void printErr(const QString& text)
{
    qsizetype lead = 0;
    while (lead < text.size()
        && (text.at(lead) == QLatin1Char('\r') || text.at(lead) == QLatin1Char('\n')))
        ++lead;
    const QByteArray out
        = text.left(lead).toUtf8() + ConsoleText::kPrefix + text.mid(lead).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
}

// One line from standard input without its line end; nullopt at the end of input.
std::optional<QString> readLine()
{
    QByteArray line;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF)
            return line.isEmpty() ? std::nullopt
                                  : std::optional<QString>(QString::fromLocal8Bit(line));
        if (c == '\n')
            return QString::fromLocal8Bit(line);
        line += static_cast<char>(c);
    }
}

} // namespace

std::optional<FileExistsAnswer> ConsolePrompt::askFileExists(const QString& proposedName)
{
    if (!::isatty(STDIN_FILENO)) {
        ++m_unanswered;
        printErr(QStringLiteral("Error: \"%1\" already exists in the destination folder and "
                                "there is no terminal to ask what to do; it was skipped (use "
                                "--exists overwrite, skip or unique).\n")
                     .arg(proposedName));
        return FileExistsAnswer { FileExistsAction::Skip, proposedName, false };
    }
    printErr(QStringLiteral("\rThe file \"%1\" already exists in the destination folder.\n")
                 .arg(proposedName));
    for (;;) {
        printErr(QStringLiteral("[o]verwrite, [s]kip file, save with [n]ew name (add ! to use this "
                                "action for all subsequent files): "));
        const std::optional<QString> line = readLine();
        if (!line) {
            ++m_unanswered;
            printErr(QStringLiteral("\nNo answer: \"%1\" was skipped.\n").arg(proposedName));
            return FileExistsAnswer { FileExistsAction::Skip, proposedName, false };
        }
        QString choice = line->trimmed();
        const bool all = choice.endsWith(QLatin1Char('!'));
        if (all)
            choice.chop(1);
        if (choice == QLatin1String("o"))
            return FileExistsAnswer { FileExistsAction::Overwrite, proposedName, all };
        if (choice == QLatin1String("s"))
            return FileExistsAnswer { FileExistsAction::Skip, proposedName, all };
        if (choice == QLatin1String("n")) {
            printErr(QStringLiteral("New name: "));
            const std::optional<QString> name = readLine();
            if (name && !name->isEmpty() && TypedNameProblem(*name).isEmpty())
                return FileExistsAnswer { FileExistsAction::SaveWithNewName, *name, all };
            printErr(name && !name->isEmpty() ? TypedNameProblem(*name) + QLatin1Char('\n')
                                              : QStringLiteral("No name given.\n"));
        }
    }
}

QString ConsolePrompt::chooseFolder(const QString&, const QString&)
{
    return QString();
}
