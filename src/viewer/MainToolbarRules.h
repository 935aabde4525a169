#pragma once

#include <QString>

#include "core/StatusKind.h"

// The rules of the main window's state pass and toolbar dispatch, apart from any widget.
class MainToolbarRules final
{
public:
    MainToolbarRules() = delete;

    // Which commands are enabled, given n selected entries, c entries, the current
    // entry (-1 for none) and whether a link window exists.
    struct States {
        bool mnufsav = false; // File "Save selected link target(s) to disk"
        bool sav = false; // toolbar "sav"
        bool savtgt = false; // "sav" drop-down entry 1
        bool savelist = false; // "sav" drop-down entries 2 and 3, File menu list commands
        bool back = false;
        bool fwd = false;
        bool slideshow = false;
        bool hide_br = false;
        bool mnufileopen = false;
        bool mnusavpopbuild = false;
        bool mnusavpopopen = false;
        bool mnusavepoptrgt = false;
        bool mnusavpopremove = false;

        bool operator==(const States&) const = default;
    };
    static States states(int n, int c, int current, bool hasBrowserWindow);

    // Pressing key while a slideshow runs stops the show first.
    static bool stopsSlideshow(const QString& key);

    // The first status-bar panel keeps showing this status while the program is busy
    // with a link or a show; other texts give way to the idle text.
    static bool statusIsReported(StatusKind status);
};
