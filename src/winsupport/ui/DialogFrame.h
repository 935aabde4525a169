#pragma once

class QDialog;

// The frame every modal dialog of the program shares: a title bar with a close box, no
// minimize, maximize or context-help button, and a size fixed to what its layout needs.
// Call it once the dialog's layout is complete.
void makeFixedDialog(QDialog& dialog);
