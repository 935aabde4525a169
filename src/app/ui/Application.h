#pragma once

// The program's entry procedure: builds the application, shows the main window and
// hands a non-empty command line to the clipboard builder.
int runQuillmarch(int argc, char** argv);

class Form1;

// Lets later starts of the program reach this window through its link receiver: text
// they were given is built into the list as a command line is (with the append question
// when the list is not empty), and a start without text brings the window forward.
void acceptLaterStarts(Form1& form);
