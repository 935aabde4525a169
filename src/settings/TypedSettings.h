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
    static bool readBool(const CRegSettings& settings, const SettingSpec& spec);
    // The stored number within the entry's range (see OutOfRange).
    static int readInt(const CRegSettings& settings, const SettingSpec& spec);
    // The stored text; empty for a Text entry when nothing is stored, the user's download
    // folder (home when it does not exist) for a Folder entry.
    static QString readText(const CRegSettings& settings, const SettingSpec& spec);

    // "True"/"False" or "1"/"0" by the entry's kind.
    static bool writeBool(CRegSettings& settings, const SettingSpec& spec, bool on);
    static bool writeInt(CRegSettings& settings, const SettingSpec& spec, int value);
    static bool writeText(CRegSettings& settings, const SettingSpec& spec, const QString& text);

    static QString section(const SettingSpec& spec) { return spec.section.toString(); }
    static QString key(const SettingSpec& spec) { return spec.key.toString(); }
    // A NumberedList's value name for entry n: the key followed by n.
    static QString numberedKey(const SettingSpec& spec, qint64 n);
};
