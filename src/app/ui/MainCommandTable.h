#pragma once

#include <QKeySequence>
#include <QList>

#include "app/ui/MainCommand.h"
#include "viewer/MainToolbarRules.h"

class Form1;

// The one description of every main-window command: the menu it sits in, its object
// name (tests find the items by it), caption, keys, icon, the Form1 handler it runs
// and the rule of the state pass that enables it.
class MainCommandTable final
{
public:
    MainCommandTable() = delete;

    // Columns: a submenu of List, placed where its first item is.
    enum class Menu { File, List, Columns, Options, Help, Context };

    // What the state pass knows when it sets the commands' enabled states.
    struct Facts {
        MainToolbarRules::States states;
        int count = 0; // entries in the list
        int selected = 0; // selected entries
        bool canUndo = false;
        bool canRedo = false;
        bool siteCrawl = false; // a site harvest can be made
    };

    struct Entry {
        MainCommand command;
        Menu menu;
        bool separatorBefore;
        const char* objectName;
        const char* caption;
        QKeySequence shortcut;
        const char* icon; // shipped SVG name, null for none
        void (Form1::*handler)();
        // Null: the state pass leaves the command as it is.
        bool (*enabled)(const Facts&);
    };

    // In menu order. Built on each call: standard keys need the running application.
    static QList<Entry> entries();
};
