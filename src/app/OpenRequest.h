#pragma once

#include <QList>

// A pending request to open a list entry ("openreq"), carried out by the list's next
// mouse-up: a double-click opens the entry under the pointer, the menu items open the
// selected entry (they are enabled only while exactly one is selected).
class OpenRequest final
{
public:
    enum class Source { DoubleClick, Menu };

    void request(Source source)
    {
        m_pending = true;
        m_source = source;
    }
    bool pending() const { return m_pending; }
    void done() { m_pending = false; }

    // The entry the request opens: for the menu the single selected entry (else the
    // current one), for a double-click the entry under the pointer.
    int target(const QList<int>& selected, int current, int underPointer) const
    {
        if (m_source == Source::DoubleClick)
            return underPointer;
        return selected.size() == 1 ? selected.first() : current;
    }

private:
    bool m_pending = false;
    Source m_source = Source::DoubleClick;
};
