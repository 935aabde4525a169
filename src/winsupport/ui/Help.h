#pragma once

class QWidget;

// Opens the help book in the program's help window: topic 0 the contents, 6 Program
// Preferences, 17 Build Sequential List, 19 Slide Show Options. An unknown topic opens
// the contents. The one help window is reused and raised when already open.
void ShowHelp(QWidget* owner, int topic);
