#pragma once

#include <QStringList>

#include "core/HarvestScope.h"

// What a page harvest keeps: the file-type filter as the builders apply it and the
// "Apply filters" menu item shows it, and what the harvest collects.
struct FilterState {
    QStringList ftypes; // filter extensions without the dot, in stored order
    // The check mark of "Apply filters" is the switch; the item is enabled only while
    // ftypes is not empty.
    bool appfiltChecked = false;
    bool appfiltEnabled = false;
    HarvestScope harvest;

    bool filterActive() const { return appfiltChecked && !ftypes.isEmpty(); }
};
