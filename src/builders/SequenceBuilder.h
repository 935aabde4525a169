#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/DialogRequests.h"
#include "core/Result.h"

class LinkList;

// What a sequential build added.
struct SequenceRun {
    int added = 0;
    bool limitReached = false;
    qint64 notAdded = 0; // numbers of the run that did not fit into the list
};

// The logic of "Build Sequential List" (Form2): numbers formatted with a mask of
// zeros, the key filter of the number boxes, and the build itself.
class SequenceBuilder final
{
public:
    SequenceBuilder() = delete;

    // The widest number a run may have, leading zeros included.
    static constexpr int MaxDigits = 64;

    // n in decimal with leading zeros up to `zeros` digits (more when n needs them).
    static QString formatWithMask(qint64 n, int zeros);
    // The key filter of Start # and End #: backspace (8) and digit codes pass
    // unchanged, every other key becomes 0 (discarded).
    static int OnlyNum(int keyAscii);
    // The drop-down items: 1 to 500 formatted with a mask of `width` zeros.
    static QStringList numberItems(int width);

    // What a start past the end gives: no entries (the window's build), or the numbers
    // counted down from start to end (the command line).
    enum class PastEnd { Nothing, CountDown };

    // Empties the list unless request.append, then adds prefix + number + suffix for
    // each number from start to end. The selection must be non-empty and inside the
    // URL, the start at most MaxDigits wide, and the two numbers whole numbers from 0 to
    // 2147483647; otherwise the result fails saying why and the list is untouched. A run
    // longer than the list's room stops at the limit (result.limitReached,
    // result.notAdded).
    static Result<SequenceRun> build(
        const SequenceRequest& request, LinkList& list, PastEnd pastEnd = PastEnd::Nothing);
    // The checks build makes before it changes anything; failed with the message.
    static Result<> check(const SequenceRequest& request);
    // Gives each link of a run that passed check() to each, in order, at most limit of
    // them, without holding them; each returns false to stop there. Returns the run's
    // length (or how many were given when each stopped it).
    static qint64 forEachLink(const SequenceRequest& request, PastEnd pastEnd, qint64 limit,
        const std::function<bool(const QString&)>& each);

    static QString selectionMissingMessage();
};
