#pragma once

#include <QString>

// A link's outcome: where its target was saved and how big it is, or skipped.
struct SavedFile {
    QString path;
    qint64 size = 0;
    bool skipped = false;
};
