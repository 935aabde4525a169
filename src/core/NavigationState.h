#pragma once

#include <QString>

// The navigation error of the current harvest.
struct NavigationState {
    bool naverr = false;
    QString navmsg;
};
