#pragma once

#include <QString>
#include <QtGlobal>

// What measuring an entry's picture found, written after its context when a list is
// measured: -1 or empty where it is not known.
struct EntryMeasure {
    int width = -1;
    int height = -1;
    qint64 size = -1; // the file's bytes
    QString type; // "jpeg", "png", ... "video"
};
