#pragma once

#include <QString>

class QIODevice;

// A page address that names a file on this machine rather than a web page: a file: URL,
// a path beginning with "/", "~/", "./" or "../", or a bare name of a file that exists.
// Such a page has no content type to ask a server for; it is taken as HTML when its name
// ends in .htm or .html or its first bytes look like an HTML document.
class LocalPage final
{
public:
    enum class Kind {
        NotLocal, // a web address (or a bare name of no file here): checked as usual
        Html, // load fileUrl
        NotHtml, // a folder, or a file that is not HTML
        Missing, // no file of that name
        Unreadable, // the file cannot be opened
    };
    struct Check {
        Kind kind = Kind::NotLocal;
        QString path; // the file's absolute path (local kinds only)
        QString fileUrl; // the file: URL the browser loads (Html only)
    };

    LocalPage() = delete;

    // Relative paths are taken from baseFolder, the current folder when empty.
    static Check check(const QString& address, const QString& baseFolder = QString());
    // The message for a local page that is missing or cannot be read.
    static QString problemMessage(const Check& check);

private:
    static bool startsLikeHtml(QIODevice& file);
};
