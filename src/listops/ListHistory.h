#pragma once

#include <QList>
#include <QObject>
#include <deque>

#include "listops/EntryContext.h"

class LinkList;

// Undo and redo over every change of a link list. A step saves the list as it was
// before a change: the list announces each change before making it, and the first one
// after a checkpoint saves the state; the changes up to the next checkpoint belong to
// that step. A step keeps only what the change replaced (the entries after the longest
// unchanged beginning), with the selection and the current entry. The history keeps
// at most MaxSteps steps and, by an estimate of their bytes, MaxBytes; the oldest go
// first.
class ListHistory final : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxSteps = 100;
    static constexpr qint64 MaxBytes = qint64(64) * 1024 * 1024;

    explicit ListHistory(LinkList& list, qint64 maxBytes = MaxBytes, QObject* parent = nullptr);

    // Ends the step under way: the next change starts a new one.
    void checkpoint();
    // Starts a step now, for a change the list does not announce (a new selection). A
    // step that ends without a change is dropped and leaves redo as it was.
    void beginStep();

    bool canUndo() const { return m_stepOpen || !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // False when there is nothing to undo (redo).
    bool undo();
    bool redo();

    int undoSteps() const;
    // The estimated bytes of every saved step.
    qint64 bytes() const;

signals:
    // canUndo() or canRedo() may have changed.
    void changed();

private:
    struct Snapshot {
        ListEntries entries;
        QList<int> selected;
        int current = -1;
    };
    struct Step {
        int keep = 0; // entries unchanged at the start of the list
        ListEntries tail; // the entries from keep on
        QList<int> selected;
        int current = -1;
        qint64 bytes = 0;
    };

    void aboutToChange();
    void open();
    void close();
    Snapshot snapshot() const;
    Step stepFrom(const Snapshot& before, int keep) const;
    void restore(const Step& step);
    bool move(std::deque<Step>& from, std::deque<Step>& to);
    void trim();

    LinkList& m_list;
    qint64 m_maxBytes;
    std::deque<Step> m_undo; // oldest first
    std::deque<Step> m_redo; // farthest first
    Snapshot m_before;
    bool m_stepOpen = false;
    bool m_restoring = false;
};
