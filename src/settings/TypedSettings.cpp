#include "settings/TypedSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "settings/CRegSettings.h"
#include "settings/TextConversions.h"

namespace
{

QString stored(const CRegSettings& settings, const StoredSetting& setting)
{
    return settings.GetSetting(setting.section.toString(), setting.key.toString(), QString());
}

} // namespace

bool TypedSettings::readBool(const CRegSettings& settings, const StoredSetting& setting)
{
    return textToBoolOr(stored(settings, setting), setting.defaultBool());
}

int TypedSettings::readInt(const CRegSettings& settings, const StoredSetting& setting)
{
    bool ok = false;
    const int value = textToInt(stored(settings, setting), &ok);
    if (!ok)
        return setting.defaultInt();
    if (setting.outOfRange == OutOfRange::Clamp)
        return std::clamp(value, setting.minimum, setting.maximum);
    return value >= setting.minimum && value <= setting.maximum ? value : setting.defaultInt();
}

QString TypedSettings::readText(const CRegSettings& settings, const StoredSetting& setting)
{
    QString fallback;
    if (setting.kind == SettingKind::Folder) {
        // The user's download folder (XDG_DOWNLOAD_DIR of ~/.config/user-dirs.dirs, else
        // ~/Downloads) when it exists; a picker opened on a missing folder would show the
        // current one instead.
        fallback = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (fallback.isEmpty() || !QFileInfo(fallback).isDir())
            fallback = QDir::homePath();
    }
    return settings.GetSetting(setting.section.toString(), setting.key.toString(), fallback);
}

bool TypedSettings::writeBool(CRegSettings& settings, const StoredSetting& setting, bool on)
{
    QString text;
    if (setting.kind == SettingKind::TrueFalse)
        text = on ? QStringLiteral("True") : QStringLiteral("False");
    else
        text = on ? QStringLiteral("1") : QStringLiteral("0");
    return writeText(settings, setting, text);
}

bool TypedSettings::writeInt(CRegSettings& settings, const StoredSetting& setting, int value)
{
    return writeText(settings, setting, QString::number(value));
}

bool TypedSettings::writeText(
    CRegSettings& settings, const StoredSetting& setting, const QString& text)
{
    return settings.SaveSetting(setting.section.toString(), setting.key.toString(), text);
}

QString TypedSettings::numberedKey(const StoredSetting& setting, qint64 n)
{
    return setting.key.toString() + QString::number(n);
}
