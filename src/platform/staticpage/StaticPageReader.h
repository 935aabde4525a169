#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

#include "builders/IHarvestBrowser.h"

// Reads the entries of a page that cannot change itself with an HTML5 parser (gumbo),
// giving what the engine's entries walk gives for it, at a parser's speed. A page can
// change itself when it holds a script, an inline event handler, a frame (unless the
// caller reads its frames too), an object or embed, a meta refresh, noscript, a template (a
// declarative shadow root), foreign content (SVG, MathML), or, for media, a style sheet. Such a
// page, and one this reader does not read exactly as the engine does (a legacy character set, an
// address whose spelling the engine would change), gives nullopt: the engine loads it instead.
class StaticPageReader final
{
public:
    StaticPageReader() = delete;

    // html: the response body; page: the address it came from; charset: the charset of
    // the response's Content-Type (empty when none was given). With frames, a page's
    // frames do not send it to the engine: the addresses of those whose documents the
    // page can read (its own origin) are added to frames, in document order, for the
    // caller to read the same way; their entries follow the page's, depth first.
    static std::optional<ListEntries> read(const QByteArray& html, const QUrl& page,
        const QString& charset, const HarvestScope& scope, QList<QUrl>* frames = nullptr);
};
