#pragma once

#include <QString>
#include <QStringList>

#include "core/SettingsTable.h"

class CRegSettings;

// Reads and writes the settings of SettingsTable by their entries, in the form the entry's
// kind gives. Reads never fail: missing, empty or unreadable text reads as the default.
class TypedSettings final
{
public:
    static bool readBool(const CRegSettings& settings, const StoredSetting& setting);
    // The stored number within the entry's range (see OutOfRange).
    static int readInt(const CRegSettings& settings, const StoredSetting& setting);
    // The stored text; empty for a Text entry when nothing is stored, the user's download
    // folder (home when it does not exist) for a Folder entry.
    static QString readText(const CRegSettings& settings, const StoredSetting& setting);

    // "True"/"False" or "1"/"0" by the entry's kind.
    static bool writeBool(CRegSettings& settings, const StoredSetting& setting, bool on);
    static bool writeInt(CRegSettings& settings, const StoredSetting& setting, int value);
    static bool writeText(
        CRegSettings& settings, const StoredSetting& setting, const QString& text);

    static QString section(const StoredSetting& setting) { return setting.section.toString(); }
    static QString key(const StoredSetting& setting) { return setting.key.toString(); }
    // A NumberedList's value name for entry n: the key followed by n.
    static QString numberedKey(const StoredSetting& setting, qint64 n);
};
