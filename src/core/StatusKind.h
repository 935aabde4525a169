#pragma once

// What the main window's first status-bar panel reports, set together with its text so
// that rules about the status never compare displayed text.
enum class StatusKind {
    Idle, // the idle text
    Building, // a list build runs
    LoadingLink, // a link loads in the browser window
    Slideshow, // a slideshow runs
    SlideshowPaused,
    Other, // any other text
};
