#include "listops/ListSearch.h"

#include <QStringMatcher>

#include "core/IUserPrompt.h"
#include "core/SearchState.h"
#include "listops/LinkList.h"

void ListSearch::applyRequest(SearchState& state, const std::optional<SearchRequest>& request)
{
    state.fnext = false;
    state.add2sel = false;
    state.mcase = false;
    state.srchtxt.clear();
    if (!request)
        return;
    state.add2sel = request->addToSelection;
    state.mcase = request->matchCase;
    state.srchtxt = request->text;
    state.fnext = request->findNext;
}

bool ListSearch::run(SearchState& state, LinkList& list, IUserPrompt& prompt)
{
    if (state.srchtxt.isEmpty())
        return false;

    const qint64 first = state.fnext ? qint64(state.srchidx) + 1 : 0;
    const int count = list.count();

    // Without "Match Case" both sides are lowered, then compared exactly.
    const QString needle = state.mcase ? state.srchtxt : state.srchtxt.toLower();
    const QStringMatcher matcher(needle, Qt::CaseSensitive);
    int found = -1;
    for (qint64 i = std::max<qint64>(first, 0); i < count; ++i) {
        const QString& entry = list.at(int(i));
        const bool hit
            = state.mcase ? matcher.indexIn(entry) >= 0 : matcher.indexIn(entry.toLower()) >= 0;
        if (hit) {
            found = int(i);
            break;
        }
    }

    // Without "Add to Selection" every entry from the start index on loses its
    // selection and the scan runs to the end; only the match is selected again.
    if (!state.add2sel && first < count)
        list.setRangeSelected(int(std::max<qint64>(first, 0)), count - 1, false);

    if (found < 0) {
        prompt.message(PromptIcon::Information, QStringLiteral("Not Found"),
            QStringLiteral("Search text not found"));
        return false;
    }
    state.srchidx = found;
    list.setSelected(found, true);
    list.setTopIndex(found);
    return true;
}
