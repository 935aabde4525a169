#pragma once

#include <QString>

class QWidget;
class HelpViewer;

// Opens the help book in the program's help window: topic 0 the contents, 6 Program
// Preferences, 17 Build Sequential List, 19 Slide Show Options; an unknown topic opens
// the contents. There is one help window: when it is open already it is reused, shown
// at the topic and raised. owner is the window asking; the help window belongs to the
// main window above it (it stays above that window and closes with it) and is usable
// beside a modal dialog that asked for it.
void showHelp(QWidget* owner, int topic);

// The page of the help book for a topic ("file.html" or "file.html#anchor").
QString helpTopicPage(int topic);

// The open help window, or nullptr.
HelpViewer* openHelpViewer();
