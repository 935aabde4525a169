#pragma once

#include <QString>
#include <QStringList>

// The main window's shared members: preference flags, hand-over fields and search
// state that the builders, dialogs and commands read and write directly.
struct MainState {
    bool drgdrp = false; // goturl holds handed-over text for the clipboard builder
    QString nurl; // link delivered from outside, waiting for its harvest
    bool exjs = false; // leave out "javascript:" links
    bool exmt = false; // leave out "mailto" links
    bool defappend = false;
    bool ontop = true;
    int owaction = 0;
    bool fnext = false;
    QString srchtxt;
    bool add2sel = false;
    bool mcase = false;
    bool append = false;
    QString goturl;
    int meX = 0; // minimum tracking width, pixels
    int meY = 0; // minimum tracking height, pixels
    bool newwin = false;
    bool openedone = false;
    QStringList ftypes; // filter extensions without the dot, in stored order

    // State of the "Apply filters" menu item: the check mark is the switch, and the
    // item is enabled only while ftypes is not empty.
    bool appfiltChecked = false;
    bool appfiltEnabled = false;

    // Navigation error of the current harvest.
    bool naverr = false;
    QString navmsg;

    int srchidx = 0; // index of the entry matched last by the search

    bool filterActive() const { return appfiltChecked && !ftypes.isEmpty(); }
};
