#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include "listops/EntryContext.h"
#include "pictures/PictureFacts.h"

// Which of the list's pictures the picture view shows, and in which order. A picture
// not measured yet is shown until its size is known; a bound of 0 is no bound.
struct PictureCriteria {
    enum class Order { Page, Area, FileSize, Name };

    int minWidth = 0;
    int maxWidth = 0;
    int minHeight = 0;
    int maxHeight = 0;
    qint64 minFileSize = 0;
    QList<PictureType> types; // empty: every type
    Order order = Order::Page;
    bool descending = false;

    // Whether the entry is media the view shows at all: a picture, a video or a
    // background by its kind, or a link whose name is a picture's.
    static bool isMedia(const ListEntry& entry);
    // The type shown for an entry: the measured one, else the one its kind or name says.
    static PictureType typeOf(const ListEntry& entry, const PictureFacts& facts);

    bool boundsSize() const;
    bool accepts(const ListEntry& entry, const PictureFacts& facts) const;
    // Whether a goes before b; entries equal by the order keep the page order (the
    // caller compares their positions then). Unknown sizes go last either way.
    bool before(const ListEntry& a, const PictureFacts& fa, const ListEntry& b,
        const PictureFacts& fb) const;
    bool tied(const ListEntry& a, const PictureFacts& fa, const ListEntry& b,
        const PictureFacts& fb) const;
    friend bool operator==(const PictureCriteria&, const PictureCriteria&) = default;
};
