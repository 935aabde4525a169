#pragma once

#include <QStringList>

// The file-type filter as the builders apply it and the "Apply filters" menu item shows it.
struct FilterState {
    QStringList ftypes; // filter extensions without the dot, in stored order
    // The check mark of "Apply filters" is the switch; the item is enabled only while
    // ftypes is not empty.
    bool appfiltChecked = false;
    bool appfiltEnabled = false;

    bool filterActive() const { return appfiltChecked && !ftypes.isEmpty(); }
};
