#pragma once

#include <QString>

// The one message every builder shows when a build would pass the link list's limit
// of LinkList::MaxEntries entries. A build stops at the limit, keeps what it added and
// shows this message once.
class ListLimit final
{
public:
    ListLimit() = delete;

    static QString title();
    // notAdded: how many further links did not fit; 0 or less when the builder stopped
    // without counting them.
    static QString message(qint64 notAdded);
};
