#pragma once

#include <QString>
#include <QStringList>

// The URLs the user built lists from, most recent first, for the URL boxes' completion.
// A URL remembered again moves to the front instead of appearing twice; the list keeps
// at most kLimit entries and forgets the oldest beyond that.
class UrlHistory final {
public:
    static constexpr int kLimit = 200;

    QStringList urls() const { return m_urls; }
    // Puts url at the front. Blank texts are ignored; the text is stored trimmed.
    // True when the list changed.
    bool remember(const QString& url);
    // Replaces the list, most recent first, dropping blanks, repeats and the excess.
    void setUrls(const QStringList& mostRecentFirst);

private:
    QStringList m_urls;
};
