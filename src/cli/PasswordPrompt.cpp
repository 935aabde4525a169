#include "cli/PasswordPrompt.h"

#include <QByteArray>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

#include "cli/ConsoleText.h"

std::optional<QString> askPassword(const QString& question)
{
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    const QByteArray ask = ConsoleText::kPrefix + question.toUtf8();
    std::fwrite(ask.constData(), 1, static_cast<size_t>(ask.size()), stderr);
    std::fflush(stderr);
    termios saved = {};
    const bool echoOff = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (echoOff) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    bool ended = false;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF) {
            ended = line.isEmpty();
            break;
        }
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
    if (echoOff)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    if (ended)
        return std::nullopt;
    return QString::fromLocal8Bit(line);
}
