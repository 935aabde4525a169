#pragma once

#include <QString>

#include "core/DialogRequests.h"
#include "core/Result.h"

class LinkList;

// The logic of "Add Single Link" (Form11).
class SingleLink final
{
public:
    SingleLink() = delete;

    // The "Add " test: the URL begins with "http" or "ftp" in any letter case, nothing
    // trimmed. An empty text is rejected too, with the same message, so "Add " always
    // ends in either an added entry or the message.
    static bool isAcceptable(const QString& url);
    static QString badFormatMessage();
    // Empties the list unless request.append, then adds the URL. Fails and changes
    // nothing when the URL is not acceptable (badFormatMessage) or the list is full
    // (the list limit's message).
    static Result<> apply(const SingleLinkRequest& request, LinkList& list);
};
