#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "settings/CRegSettings.h"

// The URLs the user built lists from, most recent first, for the URL boxes' completion.
// A URL remembered again moves to the front instead of appearing twice; the list keeps
// at most kLimit entries and forgets the oldest beyond that.
//
// With settings, the list is read from its section (SettingsTable::UrlHistory) when
// constructed and each change is written at once: one value per URL, numbered upwards,
// oldest first, so a change costs a few single-value writes and never a rewrite of the
// section.
class UrlHistory final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLimit = 200;
    static const QString kSection;

    // Kept in memory only.
    explicit UrlHistory(QObject* parent = nullptr);
    explicit UrlHistory(CRegSettings settings, QObject* parent = nullptr);

    QStringList urls() const { return m_urls; }
    // Puts url at the front. Blank texts are ignored; the text is stored trimmed.
    // True when the list changed.
    bool remember(const QString& url);
    // Replaces the list in memory, most recent first, dropping blanks, repeats and the
    // excess. Nothing is written.
    void setUrls(const QStringList& mostRecentFirst);

signals:
    // The list changed (remember or setUrls).
    void changed();

private:
    void store(const QString& url);

    QStringList m_urls;
    std::optional<CRegSettings> m_settings;
};
