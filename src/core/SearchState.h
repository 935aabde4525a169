#pragma once

#include <QString>

// What "Search List" remembers between two searches.
struct SearchState {
    bool fnext = false; // continue after the last match
    QString srchtxt;
    bool add2sel = false; // add the match to the selection instead of replacing it
    bool mcase = false;
    int srchidx = 0; // index of the entry matched last
};
