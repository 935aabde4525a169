#pragma once

// The program's entry procedure: builds the application, shows the main window and
// hands a non-empty command line to the clipboard builder.
int runQuillmarch(int argc, char** argv);
