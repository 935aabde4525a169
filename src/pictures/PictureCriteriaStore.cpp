#include "pictures/PictureCriteriaStore.h"

#include <QStringList>

#include "core/SettingsTable.h"
#include "settings/TypedSettings.h"

namespace
{

constexpr int kMaxPixels = 100000;
constexpr qint64 kMaxFileSize = qint64(1024) * 1024 * 1024;

// A whole number from 0 to maximum, else fallback.
qint64 bounded(const QString& text, qint64 maximum, qint64 fallback)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value >= 0 && value <= maximum ? value : fallback;
}

} // namespace

QString PictureCriteriaStore::encode(const PictureCriteria& c)
{
    QStringList types;
    for (PictureType type : c.types)
        types.append(pictureTypeName(type));
    return QStringLiteral("minWidth=%1;maxWidth=%2;minHeight=%3;maxHeight=%4;minSize=%5;"
                          "types=%6;order=%7;descending=%8")
        .arg(c.minWidth)
        .arg(c.maxWidth)
        .arg(c.minHeight)
        .arg(c.maxHeight)
        .arg(c.minFileSize)
        .arg(types.join(u','))
        .arg(int(c.order))
        .arg(c.descending ? 1 : 0);
}

PictureCriteria PictureCriteriaStore::decode(const QString& text)
{
    PictureCriteria c;
    for (const QString& pair : text.split(u';', Qt::SkipEmptyParts)) {
        const QString name = pair.section(u'=', 0, 0).trimmed();
        const QString value = pair.section(u'=', 1).trimmed();
        if (name == QLatin1StringView("minWidth"))
            c.minWidth = int(bounded(value, kMaxPixels, 0));
        else if (name == QLatin1StringView("maxWidth"))
            c.maxWidth = int(bounded(value, kMaxPixels, 0));
        else if (name == QLatin1StringView("minHeight"))
            c.minHeight = int(bounded(value, kMaxPixels, 0));
        else if (name == QLatin1StringView("maxHeight"))
            c.maxHeight = int(bounded(value, kMaxPixels, 0));
        else if (name == QLatin1StringView("minSize"))
            c.minFileSize = bounded(value, kMaxFileSize, 0);
        else if (name == QLatin1StringView("order"))
            c.order = PictureCriteria::Order(bounded(value, int(PictureCriteria::Order::Name), 0));
        else if (name == QLatin1StringView("descending"))
            c.descending = value == QLatin1StringView("1");
        else if (name == QLatin1StringView("types")) {
            for (const QString& type : value.split(u',', Qt::SkipEmptyParts)) {
                const std::optional<PictureType> known = pictureTypeFromName(type.trimmed());
                if (known && !c.types.contains(*known))
                    c.types.append(*known);
            }
        }
    }
    return c;
}

PictureCriteria PictureCriteriaStore::load(const CRegSettings& settings)
{
    return decode(TypedSettings::readText(settings, SettingsTable::PictureChoices));
}

void PictureCriteriaStore::store(CRegSettings& settings, const PictureCriteria& criteria)
{
    TypedSettings::writeText(settings, SettingsTable::PictureChoices, encode(criteria));
}
