#include "listops/ListHistory.h"

#include <QItemSelection>
#include <algorithm>

#include "listops/LinkList.h"

namespace
{

// Per entry: the list's own slots for the address and the context, and the heap blocks
// behind each string.
constexpr qint64 kEntryOverhead = qint64(sizeof(QString) + sizeof(EntryContext)) + 4 * 16;

qint64 entryBytes(const ListEntry& entry)
{
    const EntryContext& c = entry.context;
    return kEntryOverhead + 2 * (entry.url.size() + c.text.size() + c.page.size() + c.title.size());
}

} // namespace

ListHistory::ListHistory(LinkList& list, qint64 maxBytes, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_maxBytes(maxBytes)
{
    connect(&list, &QAbstractItemModel::rowsAboutToBeInserted, this, &ListHistory::aboutToChange);
    connect(&list, &QAbstractItemModel::rowsAboutToBeRemoved, this, &ListHistory::aboutToChange);
    connect(&list, &QAbstractItemModel::modelAboutToBeReset, this, &ListHistory::aboutToChange);
}

void ListHistory::aboutToChange()
{
    if (m_restoring || m_stepOpen)
        return;
    // The list is about to change: what could be redone no longer applies.
    m_redo.clear();
    open();
}

void ListHistory::checkpoint()
{
    close();
}

void ListHistory::beginStep()
{
    close();
    open();
}

ListHistory::Snapshot ListHistory::snapshot() const
{
    // The copies share their data with the list until it changes.
    return { m_list.listEntries(), m_list.selectedIndexes(), m_list.currentIndex() };
}

void ListHistory::open()
{
    m_before = snapshot();
    m_stepOpen = true;
    emit changed();
}

// Saves the open step as what differs from the list now; a step that changed nothing
// is dropped.
void ListHistory::close()
{
    if (!m_stepOpen)
        return;
    m_stepOpen = false;
    Snapshot before = std::move(m_before);
    m_before = {};
    const ListEntries& now = m_list.listEntries();
    const qsizetype shorter = std::min(before.entries.size(), now.size());
    qsizetype keep = 0;
    while (keep < shorter && before.entries.at(keep) == now.at(keep))
        ++keep;
    const bool same = keep == before.entries.size() && keep == now.size()
        && before.selected == m_list.selectedIndexes() && before.current == m_list.currentIndex();
    if (!same) {
        // A step begun at once that ended without a change leaves redo as it was.
        m_redo.clear();
        m_undo.push_back(stepFrom(before, static_cast<int>(keep)));
        trim();
    }
    emit changed();
}

ListHistory::Step ListHistory::stepFrom(const Snapshot& before, int keep) const
{
    Step step;
    step.keep = keep;
    step.selected = before.selected;
    step.current = before.current;
    step.tail.reserve(before.entries.size() - keep);
    step.bytes = 64 + qint64(sizeof(int)) * before.selected.size();
    for (qsizetype i = keep; i < before.entries.size(); ++i) {
        step.tail.append(before.entries.at(i));
        step.bytes += entryBytes(step.tail.constLast());
    }
    return step;
}

void ListHistory::restore(const Step& step)
{
    m_restoring = true;
    m_list.truncate(step.keep);
    m_list.addEntries(step.tail);
    QItemSelection selection;
    for (int row : step.selected) {
        if (row < m_list.count())
            selection.select(m_list.index(row), m_list.index(row));
    }
    m_list.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_list.setCurrentIndex(step.current);
    m_restoring = false;
}

// Restores the last step of from and saves the state it replaced as the last of to.
bool ListHistory::move(std::deque<Step>& from, std::deque<Step>& to)
{
    close();
    if (from.empty())
        return false;
    const Step step = std::move(from.back());
    from.pop_back();
    const Snapshot now = snapshot();
    to.push_back(stepFrom(now, std::min(step.keep, static_cast<int>(now.entries.size()))));
    restore(step);
    trim();
    emit changed();
    return true;
}

bool ListHistory::undo()
{
    return move(m_undo, m_redo);
}

bool ListHistory::redo()
{
    return move(m_redo, m_undo);
}

int ListHistory::undoSteps() const
{
    return static_cast<int>(m_undo.size()) + (m_stepOpen ? 1 : 0);
}

qint64 ListHistory::bytes() const
{
    qint64 total = 0;
    for (const Step& step : m_undo)
        total += step.bytes;
    for (const Step& step : m_redo)
        total += step.bytes;
    return total;
}

// The oldest undo steps go first, then the farthest redo steps.
void ListHistory::trim()
{
    while (!m_undo.empty() && (static_cast<int>(m_undo.size()) > MaxSteps || bytes() > m_maxBytes))
        m_undo.pop_front();
    while (!m_redo.empty() && (static_cast<int>(m_redo.size()) > MaxSteps || bytes() > m_maxBytes))
        m_redo.pop_front();
}
