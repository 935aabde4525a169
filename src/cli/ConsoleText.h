#pragma once

#include <QByteArray>
#include <QString>

// The lines quillmarch-cli writes on standard error. Each begins with the program's name,
// so a script or a log that mixes several tools tells whose message it is.
class ConsoleText final
{
public:
    static constexpr const char* kPrefix = "quillmarch-cli: ";

    // text as standard-error lines: each of its lines (CR LF, LF or CR) after kPrefix and
    // lead (a page's "URL: " in a harvest of several), blank lines left out.
    static QByteArray lines(const QString& text, const QString& lead = QString());

    // Writes lines(text) on standard error at once.
    static void printError(const QString& text);
};
