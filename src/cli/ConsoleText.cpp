#include "cli/ConsoleText.h"

#include <QRegularExpression>
#include <cstdio>

QByteArray ConsoleText::lines(const QString& text, const QString& lead)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QByteArray out;
    const QByteArray head = kPrefix + lead.toUtf8();
    for (const QString& line : text.split(lineEnd, Qt::SkipEmptyParts)) {
        out += head;
        out += line.toUtf8();
        out += '\n';
    }
    if (out.isEmpty())
        out = head.trimmed() + '\n';
    return out;
}

void ConsoleText::printError(const QString& text)
{
    const QByteArray out = lines(text);
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
}
