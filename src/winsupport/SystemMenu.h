#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A window's own window menu ("system menu"): Restore, Move, Size, Minimize, Maximize, a
// separator and Close, each with the command identifier the window border uses. An
// item disabled through enable() is grayed and carries its identifier with bit 15
// cleared, so the window's own state rules leave it disabled; find() knows it under
// either identifier.
class SystemMenu final
{
public:
    static constexpr qint32 SC_SIZE = 0xF000;
    static constexpr qint32 SC_MOVE = 0xF010;
    static constexpr qint32 SC_MINIMIZE = 0xF020;
    static constexpr qint32 SC_MAXIMIZE = 0xF030;
    static constexpr qint32 SC_CLOSE = 0xF060;
    static constexpr qint32 SC_RESTORE = 0xF120;

    struct Item {
        qint32 id = 0; // 0 for the separator
        QString text;
        bool grayed = false;
    };

    SystemMenu();

    const QList<Item>& items() const { return m_items; }
    // Position of the item whose identifier is id, or id with bit 15 cleared; -1 if none.
    int find(qint32 id) const;
    // EnableMenuItem: false when the menu has no such item.
    bool enable(qint32 id, bool enabled);
    // The item exists and is not grayed.
    bool isEnabled(qint32 id) const;
    void removeAt(int position);
    // Removes the item with that command; false when there is none.
    bool remove(qint32 id);
    // The standard command an item stands for (bit 15 restored).
    static qint32 standardId(qint32 id) { return id == 0 ? 0 : (id | 0x8000); }

private:
    QList<Item> m_items;
};
