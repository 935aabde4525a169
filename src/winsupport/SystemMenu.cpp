#include "winsupport/SystemMenu.h"

SystemMenu::SystemMenu()
    : m_items { { SC_RESTORE, QStringLiteral("&Restore") }, { SC_MOVE, QStringLiteral("&Move") },
        { SC_SIZE, QStringLiteral("&Size") }, { SC_MINIMIZE, QStringLiteral("Mi&nimize") },
        { SC_MAXIMIZE, QStringLiteral("Ma&ximize") }, { 0, QString() },
        { SC_CLOSE, QStringLiteral("&Close") } }
{
}

int SystemMenu::find(qint32 id) const
{
    if (id == 0)
        return -1;
    for (int i = 0; i < m_items.size(); ++i) {
        const qint32 item = m_items.at(i).id;
        if (item != 0 && (item == id || item == (id & ~0x8000)))
            return i;
    }
    return -1;
}

bool SystemMenu::enable(qint32 id, bool enabled)
{
    const int position = find(id);
    if (position < 0)
        return false;
    Item& item = m_items[position];
    item.grayed = !enabled;
    item.id = enabled ? id : (id & ~0x8000);
    return true;
}

bool SystemMenu::isEnabled(qint32 id) const
{
    const int position = find(id);
    return position >= 0 && !m_items.at(position).grayed;
}

void SystemMenu::removeAt(int position)
{
    if (position >= 0 && position < m_items.size())
        m_items.removeAt(position);
}

bool SystemMenu::remove(qint32 id)
{
    const int position = find(id);
    if (position < 0)
        return false;
    m_items.removeAt(position);
    return true;
}
