#pragma once

#include <QString>

// Values a dialog, a drop or another process hands to the builder that runs next.
struct HandOver {
    bool drgdrp = false; // goturl holds handed-over text for the clipboard builder
    QString goturl; // text or URL to build from instead of the builder's usual input
    QString nurl; // link delivered from outside, waiting for its harvest
    bool append = false; // append to the list (true) or replace it
};
