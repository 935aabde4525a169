#pragma once

#include <QString>
#include <QStringList>

// The folder a link's file goes to, held open by descriptor: the destination the user
// chose (reached as named, a symbolic link included) and below it the folders a name
// mask gives, entered one at a time from the destination down and never through a
// symbolic link. Everything the job makes there is made relative to the descriptor, so
// it stays inside the destination whatever is renamed or linked meanwhile.
class LinkFolder final
{
public:
    LinkFolder() = default;
    ~LinkFolder() { close(); }
    LinkFolder(const LinkFolder&) = delete;
    LinkFolder& operator=(const LinkFolder&) = delete;

    // Opens base (ending with "/") and then each of parts below it, creating the missing
    // ones when create is set (never base). Without create a missing folder leaves this
    // closed and returns true: nothing is in it yet. False with error set when a part is a symbolic
    // link, is not a folder, or cannot be entered or made.
    bool open(const QString& base, const QStringList& parts, bool create, QString* error);
    void close();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // Whether name in the folder is something other than a folder (false while closed).
    bool holdsFile(const QString& name) const;
    // When the file name in the folder was last modified, in seconds since the epoch;
    // -1 when there is no such file.
    qint64 modifiedTime(const QString& name) const;

private:
    int m_fd = -1;
};
