#include "settings/TypedSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "settings/CRegSettings.h"
#include "settings/TextConversions.h"

namespace
{

QString stored(const CRegSettings& settings, const SettingSpec& spec)
{
    return settings.GetSetting(spec.section.toString(), spec.key.toString(), QString());
}

} // namespace

bool TypedSettings::readBool(const CRegSettings& settings, const SettingSpec& spec)
{
    return textToBoolOr(stored(settings, spec), spec.defaultBool());
}

int TypedSettings::readInt(const CRegSettings& settings, const SettingSpec& spec)
{
    bool ok = false;
    const int value = textToInt(stored(settings, spec), &ok);
    if (!ok)
        return spec.defaultInt();
    if (spec.outOfRange == OutOfRange::Clamp)
        return std::clamp(value, spec.minimum, spec.maximum);
    return value >= spec.minimum && value <= spec.maximum ? value : spec.defaultInt();
}

QString TypedSettings::readText(const CRegSettings& settings, const SettingSpec& spec)
{
    QString fallback;
    if (spec.kind == SettingKind::Folder) {
        // The user's download folder (XDG_DOWNLOAD_DIR of ~/.config/user-dirs.dirs, else
        // ~/Downloads) when it exists; a picker opened on a missing folder would show the
        // current one instead.
        fallback = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (fallback.isEmpty() || !QFileInfo(fallback).isDir())
            fallback = QDir::homePath();
    }
    return settings.GetSetting(spec.section.toString(), spec.key.toString(), fallback);
}

bool TypedSettings::writeBool(CRegSettings& settings, const SettingSpec& spec, bool on)
{
    QString text;
    if (spec.kind == SettingKind::TrueFalse)
        text = on ? QStringLiteral("True") : QStringLiteral("False");
    else
        text = on ? QStringLiteral("1") : QStringLiteral("0");
    return writeText(settings, spec, text);
}

bool TypedSettings::writeInt(CRegSettings& settings, const SettingSpec& spec, int value)
{
    return writeText(settings, spec, QString::number(value));
}

bool TypedSettings::writeText(CRegSettings& settings, const SettingSpec& spec, const QString& text)
{
    return settings.SaveSetting(spec.section.toString(), spec.key.toString(), text);
}

QString TypedSettings::numberedKey(const SettingSpec& spec, qint64 n)
{
    return spec.key.toString() + QString::number(n);
}
