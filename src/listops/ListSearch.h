#pragma once

#include <optional>

#include "core/DialogRequests.h"

class IUserPrompt;
class LinkList;
struct SearchState;

// "Search List" (mnulstsrch_Click): the dialog's stores and the scan.
class ListSearch final
{
public:
    ListSearch() = delete;

    // Resets fnext, add2sel, mcase and srchtxt, then stores the dialog's answer
    // (nullopt: Cancel or closed, nothing stored).
    static void applyRequest(SearchState& state, const std::optional<SearchRequest>& request);

    // Scans from the first entry (from srchidx + 1 when fnext) for the first entry
    // that contains srchtxt, selects it and scrolls it to the top. Without add2sel the
    // selection of every scanned entry is cleared, with add2sel the scan stops at the
    // match. Shows "Not Found" when nothing matched. Returns whether an entry matched;
    // an empty srchtxt does nothing and returns false.
    static bool run(SearchState& state, LinkList& list, IUserPrompt& prompt);
};
