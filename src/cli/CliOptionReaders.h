#pragma once

#include <QString>
#include <QStringView>

#include "cli/CliOptionTable.h"
#include "core/HeaderField.h"

// How each option of the command line reads its value into the options: the problem in
// the words shown to the user when it is not one the option takes, else an empty text.
namespace CliOptionReaders
{
using Target = CliOptionTarget;

// The options that only store their value or switch something on.
template <QString CliOptions::*field>
QString store(Target& target, QStringView, const QString& value)
{
    target.options.*field = value;
    return QString();
}

template <bool CliOptions::*field> QString raise(Target& target, QStringView, const QString&)
{
    target.options.*field = true;
    return QString();
}

template <bool CliOptionTarget::*field> QString ask(Target& target, QStringView, const QString&)
{
    target.*field = true;
    return QString();
}

// --referer and --user-agent: one header value each, sent as given.
template <QString CliOptions::*field>
QString readHeaderValue(Target& target, QStringView name, const QString& value)
{
    if (const QString why = HeaderField::valueProblem(value); !why.isEmpty())
        return QStringLiteral("%1 cannot be sent: %2.").arg(name, why);
    target.options.*field = value;
    return QString();
}

QString readAria2SecretFile(Target& target, QStringView name, const QString& value);
QString readCaFile(Target& target, QStringView name, const QString& value);
QString readCollect(Target& target, QStringView name, const QString& value);
QString readCookies(Target& target, QStringView name, const QString& value);
QString readDepth(Target& target, QStringView name, const QString& value);
QString readExists(Target& target, QStringView name, const QString& value);
QString readFilter(Target& target, QStringView name, const QString& value);
QString readFollow(Target& target, QStringView name, const QString& value);
QString readFormat(Target& target, QStringView name, const QString& value);
QString readHeader(Target& target, QStringView name, const QString& value);
QString readIgnoreRobots(Target& target, QStringView name, const QString& value);
QString readJobs(Target& target, QStringView name, const QString& value);
QString readLinkedFullSize(Target& target, QStringView name, const QString& value);
QString readMaxPages(Target& target, QStringView name, const QString& value);
QString readMaxTime(Target& target, QStringView name, const QString& value);
QString readMinSide(Target& target, QStringView name, const QString& value);
QString readMinSize(Target& target, QStringView name, const QString& value);
QString readNameMask(Target& target, QStringView name, const QString& value);
QString readNext(Target& target, QStringView name, const QString& value);
QString readOutput(Target& target, QStringView name, const QString& value);
QString readPasswordFile(Target& target, QStringView name, const QString& value);
QString readPattern(Target& target, QStringView name, const QString& value);
QString readPerHost(Target& target, QStringView name, const QString& value);
QString readRate(Target& target, QStringView name, const QString& value);
QString readRetries(Target& target, QStringView name, const QString& value);
QString readScope(Target& target, QStringView name, const QString& value);
QString readScroll(Target& target, QStringView name, const QString& value);
QString readSelection(Target& target, QStringView name, const QString& value);
QString readSettle(Target& target, QStringView name, const QString& value);
QString readTimeout(Target& target, QStringView name, const QString& value);
QString readTypes(Target& target, QStringView name, const QString& value);
QString readUser(Target& target, QStringView name, const QString& value);

} // namespace CliOptionReaders
