#pragma once

// The main window's own state that the commands read.
struct WindowState {
    int meX = 0; // minimum tracking width, pixels
    int meY = 0; // minimum tracking height, pixels
    bool openedone = false; // the program opened an outside browser window
};
