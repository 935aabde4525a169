#include "winsupport/UrlHistory.h"

#include <algorithm>

#include "core/SettingsTable.h"
#include "settings/TypedSettings.h"

const QString UrlHistory::kSection = TypedSettings::section(SettingsTable::UrlHistory);

namespace
{

const QString kKeyPrefix = TypedSettings::key(SettingsTable::UrlHistory);

// The number in a value name "<prefix><n>", or -1 for any other name.
qint64 keyNumber(const QString& key)
{
    if (!key.startsWith(kKeyPrefix))
        return -1;
    bool ok = false;
    const qint64 n = key.mid(kKeyPrefix.size()).toLongLong(&ok);
    return ok && n >= 0 ? n : -1;
}

} // namespace

UrlHistory::UrlHistory(QObject* parent)
    : QObject(parent)
{
}

UrlHistory::UrlHistory(CRegSettings settings, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings))
{
    QStringList stored;
    for (const auto& [key, url] : m_settings->GetAllSettings(kSection))
        stored.prepend(url);
    setUrls(stored);
}

bool UrlHistory::remember(const QString& url)
{
    const QString text = url.trimmed();
    if (text.isEmpty())
        return false;
    if (!m_urls.isEmpty() && m_urls.front() == text)
        return false;
    m_urls.removeAll(text);
    m_urls.prepend(text);
    while (m_urls.size() > kLimit)
        m_urls.removeLast();
    if (m_settings)
        store(text);
    emit changed();
    return true;
}

void UrlHistory::setUrls(const QStringList& mostRecentFirst)
{
    m_urls.clear();
    for (const QString& url : mostRecentFirst) {
        const QString text = url.trimmed();
        if (text.isEmpty() || m_urls.contains(text))
            continue;
        m_urls.append(text);
        if (m_urls.size() == kLimit)
            break;
    }
    emit changed();
}

void UrlHistory::store(const QString& url)
{
    // Read back first: another window or process may have written since. The read and
    // the writes are one transaction, so two processes cannot interleave them.
    const auto batch = m_settings->batch();
    const QList<QPair<QString, QString>> values = m_settings->GetAllSettings(kSection);
    qint64 last = 0;
    QStringList kept; // value names that stay, oldest first
    for (const auto& [key, value] : values) {
        if (key.isEmpty()) // the section's unnamed value; an empty name would mean the section
            continue;
        last = std::max(last, keyNumber(key));
        if (value.trimmed() == url)
            m_settings->DeleteSetting(kSection, key);
        else
            kept.append(key);
    }
    m_settings->SaveSetting(
        kSection, TypedSettings::numberedKey(SettingsTable::UrlHistory, last + 1), url);
    for (qsizetype i = 0; i + kLimit < kept.size() + 1; ++i)
        m_settings->DeleteSetting(kSection, kept[i]);
}
