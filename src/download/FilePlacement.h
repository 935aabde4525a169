#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "download/LinkFolder.h"
#include "download/PartialFile.h"

// Where one link's file is made: its folder (the destination, then the folders a mask
// names, entered without following symbolic links), the hidden partial file received
// into there with its record, and the final rename, all relative to the folder's
// descriptor so nothing lands outside the destination.
class FilePlacement final
{
public:
    // destination ends with "/"; maskFolder is relative to it ("" or ending with "/").
    FilePlacement(const QString& destination, const QString& maskFolder);

    // The folder the file goes to, as shown: the destination and the mask's folders.
    const QString& folder() const { return m_folder; }
    // Enters the folder; without create a folder not made yet leaves it closed (nothing
    // is in it yet). False with error set when it cannot be entered.
    bool enter(bool create, QString* error);
    bool entered() const { return m_dir.isOpen(); }
    // Something other than a folder has name in the folder.
    bool holdsFile(const QString& name) const { return m_dir.holdsFile(name); }
    qint64 modifiedTime(const QString& name) const { return m_dir.modifiedTime(name); }

    // Opens the partial file for name (creating the folder when needed).
    bool openPartial(const QString& name, const QByteArray& url, QString* error);
    PartialFile& partial() { return m_partial; }

    // Renames the partial file to name: over an existing file only with replace, else
    // failing with EEXIST when name is taken. 0 when placed (the partial file is then
    // released), else the errno.
    int place(const QString& name, bool replace);

private:
    QString m_destination;
    QStringList m_parts;
    QString m_folder;
    LinkFolder m_dir; // declared before the partial file, which is named in it
    PartialFile m_partial;
};
