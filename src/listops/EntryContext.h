#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// What an entry of the list points at, as the page it came from showed it.
enum class EntryKind {
    Link,
    Image,
    Video,
    Audio,
    Background,
    Object,
    Poster, // the picture a video shows before it plays
};

// The name of a kind in exports and on the command line ("link", "image", ...).
inline QString entryKindName(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Link:
        return QStringLiteral("link");
    case EntryKind::Image:
        return QStringLiteral("image");
    case EntryKind::Video:
        return QStringLiteral("video");
    case EntryKind::Audio:
        return QStringLiteral("audio");
    case EntryKind::Background:
        return QStringLiteral("background");
    case EntryKind::Object:
        return QStringLiteral("object");
    case EntryKind::Poster:
        return QStringLiteral("poster");
    }
    return QStringLiteral("link");
}

inline std::optional<EntryKind> entryKindFromName(QStringView name)
{
    for (EntryKind kind : { EntryKind::Link, EntryKind::Image, EntryKind::Video, EntryKind::Audio,
             EntryKind::Background, EntryKind::Object, EntryKind::Poster }) {
        if (name == entryKindName(kind))
            return kind;
    }
    return std::nullopt;
}

// The context an entry keeps beside its address while it is listed: its kind, its text
// (the link text, else alt, else title), the page it was found on and that page's title.
// Entries from sources without a page (clipboard, files, patterns) keep the defaults.
// A full-size picture listed in place of the thumbnail that linked to it keeps the
// thumbnail's address. A site harvest adds the depth of the page (0 for its start page);
// a link the page marks as its next page (rel="next") says so, for the site harvest only.
struct EntryContext {
    EntryKind kind = EntryKind::Link;
    QString text;
    QString page;
    QString title;
    QString thumbnail = {};
    int depth = -1; // -1: not found by a site harvest
    bool relNext = false;

    bool isEmpty() const
    {
        return kind == EntryKind::Link && text.isEmpty() && page.isEmpty() && title.isEmpty()
            && thumbnail.isEmpty() && depth < 0;
    }
    friend bool operator==(const EntryContext&, const EntryContext&) = default;
};

// An address with its context, as builders hand entries to the list.
struct ListEntry {
    QString url;
    EntryContext context;
    friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

using ListEntries = QList<ListEntry>;
