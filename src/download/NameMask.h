#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

#include "listops/EntryContext.h"

// What a mask's placeholders stand for, for one link of a job.
struct NameMaskValues {
    QString link;
    int number = 1; // the link's position in the job, from 1
    int count = 1; // the job's links
    EntryContext context {};
    QDate date = QDate::currentDate();
    // The type the server named for the link, once known: a link without a named file
    // takes its extension (FileNameFromUrl). Empty before the answer.
    QString contentType {};
};

// A renaming mask such as "*host*/*num*-*name*.*ext*": literal text and placeholders
// (*name*, *ext*, *num*, *host*, *subdirs*, *text*, *title*, *date*). Expanded, it gives
// a relative path inside the destination folder: folders ("/"-separated, none of them
// "", "." or "..") and a file name, each part made safe, at most 255 bytes in all.
class NameMask final
{
public:
    static const QString kDefault; // "*name*.*ext*": the link's own name

    // The mask, or nullopt with problem set when it has an unknown placeholder or names
    // no file (empty, ending with "/", or a last part that is only folders or dots).
    static std::optional<NameMask> parse(const QString& mask, QString* problem);

    // The relative path for one link. With the default mask it is the name the link
    // gives (FileNameFromUrl, SafeFileName). A file name that comes out empty is the
    // link's own name.
    QString expand(const NameMaskValues& values) const;

private:
    struct Piece {
        QString literal;
        QString placeholder; // empty for a literal piece
    };
    QList<Piece> m_pieces;
};
