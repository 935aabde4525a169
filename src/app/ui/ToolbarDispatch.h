#pragma once

#include <QObject>

#include "viewer/MainToolbarRules.h"

class Form1;
class LinkList;
class LinkViewer;
class MainStatusBar;
class MainToolbar;
class Slideshow;

// Puts the main toolbar ("Toolbar1") on the window, runs the command of a pressed
// button or drop-down entry, shows a button's tooltip in the status panel while the
// pointer is on it, and sets the buttons' enabled states in the state pass.
class ToolbarDispatch final : public QObject
{
    Q_OBJECT
public:
    ToolbarDispatch(Form1& form, LinkList& list, LinkViewer& viewer, Slideshow& slideshow,
        MainStatusBar& status);

    MainToolbar& toolbar() const { return *m_toolbar; }
    // A button pressed, and an entry of the "sav" button's drop-down menu, by key.
    void buttonClick(const QString& key);
    void menuClick(const QString& key);
    // input: the window takes input (no build runs); otherwise the buttons and their
    // keys rest.
    void applyStates(const MainToolbarRules::States& states, bool input);
    void syncSlideshowButton();

private:
    void restoreStatusAfterHover();

    Form1& m_form;
    LinkList& m_list;
    LinkViewer& m_viewer;
    Slideshow& m_slideshow;
    MainStatusBar& m_status;
    MainToolbar* m_toolbar = nullptr;
};
