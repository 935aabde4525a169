#include "platform/staticpage/StaticPageReader.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <gumbo.h>
#include <memory>

// The entries are those of js/collect-entries.js, read the same way from the parsed tree:
// any change there has its counterpart here, and the differential test holds the two
// paths equal.
namespace
{

// How deep the tree may go: below the engine's own limit, and a bound on the recursion of
// the walks.
constexpr int kMaxDepth = 400;

// A page this reader does not read as the engine does.
struct Refused {
};

// JavaScript's white space (what /\s/ and trim() take).
bool isJsSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x09 || u == 0x0A || u == 0x0B || u == 0x0C || u == 0x0D || u == 0x20 || u == 0xA0
        || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F
        || u == 0x205F || u == 0x3000 || u == 0xFEFF;
}

// The walk's clean(): at most 800 characters read, white space runs made one space,
// trimmed, at most 200 kept.
QString clean(QString text)
{
    if (text.isEmpty())
        return {};
    if (text.size() > 800)
        text.truncate(800);
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (const QChar c : std::as_const(text)) {
        if (isJsSpace(c)) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty())
            out += QLatin1Char(' ');
        space = false;
        out += c;
    }
    if (out.size() > 200)
        out.truncate(200);
    return out;
}

QString utf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

const GumboAttribute* attribute(const GumboElement& el, const char* name)
{
    return gumbo_get_attribute(&el.attributes, name);
}

// The attribute's value; null when the element has no such attribute.
QString attr(const GumboElement& el, const char* name)
{
    const GumboAttribute* a = attribute(el, name);
    return a ? utf8(a->value) : QString();
}

bool isTag(const GumboNode* node, GumboTag tag)
{
    return node && node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

class Reader
{
public:
    Reader(const QUrl& page, const HarvestScope& scope, QList<QUrl>* frames)
        : m_page(page)
        , m_base(page)
        , m_wantLinks(scope.links())
        , m_wantMedia(scope.media())
        , m_fullSize(scope.media() && scope.linkedFullSize)
        , m_frames(frames)
    {
    }

    ListEntries read(const GumboNode* root)
    {
        check(root);
        const QString pageText = serialise(m_page);
        m_pageBare = pageText.section(QLatin1Char('#'), 0, 0);
        if (m_baseHref)
            m_base = resolveUrl(*m_baseHref, m_page);
        for (const QString& src : std::as_const(m_frameSources))
            addFrame(src);
        walk(root);
        for (ListEntry& entry : m_entries) {
            entry.context.page = pageText;
            entry.context.title = m_title;
        }
        return m_entries;
    }

private:
    // The things that make a page able to change itself, or that this reader does not
    // read as the engine does.
    void check(const GumboNode* node, int depth = 0)
    {
        // The engine's parser nests elements no deeper than 512 and puts deeper ones
        // beside each other; the tree would differ.
        if (depth > kMaxDepth)
            throw Refused {};
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT
            && node->type != GUMBO_NODE_TEMPLATE)
            return;
        if (node->type == GUMBO_NODE_TEMPLATE)
            throw Refused {};
        if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboElement& el = node->v.element;
            if (el.tag_namespace != GUMBO_NAMESPACE_HTML)
                throw Refused {};
            switch (el.tag) {
            case GUMBO_TAG_IFRAME:
            case GUMBO_TAG_FRAME:
                noteFrame(el);
                break;
            case GUMBO_TAG_FRAMESET:
                if (!m_frames)
                    throw Refused {};
                break;
            case GUMBO_TAG_SCRIPT:
            case GUMBO_TAG_NOSCRIPT:
            case GUMBO_TAG_OBJECT:
            case GUMBO_TAG_EMBED:
            case GUMBO_TAG_APPLET:
            case GUMBO_TAG_TEMPLATE:
            case GUMBO_TAG_UNKNOWN: // custom elements among them
                throw Refused {};
            case GUMBO_TAG_META: {
                if (attr(el, "http-equiv").compare(QLatin1String("refresh"), Qt::CaseInsensitive)
                    == 0)
                    throw Refused {};
                break;
            }
            case GUMBO_TAG_STYLE:
                if (m_wantMedia)
                    throw Refused {};
                break;
            case GUMBO_TAG_LINK:
                if (m_wantMedia
                    && attr(el, "rel").contains(QLatin1String("stylesheet"), Qt::CaseInsensitive))
                    throw Refused {};
                break;
            case GUMBO_TAG_BASE:
                if (!m_baseHref && attribute(el, "href"))
                    m_baseHref = attr(el, "href");
                break;
            case GUMBO_TAG_TITLE:
                if (!m_titleSeen) {
                    m_titleSeen = true;
                    m_title = titleOf(el);
                }
                break;
            default:
                break;
            }
            for (unsigned i = 0; i < el.attributes.length; ++i) {
                const auto* a = static_cast<const GumboAttribute*>(el.attributes.data[i]);
                if (a->attr_namespace != GUMBO_ATTR_NAMESPACE_NONE)
                    throw Refused {};
                const QByteArray name(a->name);
                if (name.size() > 2 && name.startsWith("on"))
                    throw Refused {};
                if (m_wantMedia && name == "style") {
                    const QString value = utf8(a->value);
                    if (value.contains(QLatin1String("url("), Qt::CaseInsensitive)
                        || value.contains(QLatin1String("image-set("), Qt::CaseInsensitive))
                        throw Refused {};
                }
            }
        }
        const GumboVector& children = node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children
                                                                        : node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            check(static_cast<const GumboNode*>(children.data[i]), depth + 1);
    }

    // A frame is read as a document of its own when its address is known without the
    // engine: a plain src, loaded at once (not lazily), with the page's origin unless
    // sandboxed. A frame without src holds an empty document and adds nothing.
    void noteFrame(const GumboElement& el)
    {
        if (!m_frames || attribute(el, "srcdoc") || attribute(el, "sandbox")
            || attr(el, "loading").compare(QLatin1String("lazy"), Qt::CaseInsensitive) == 0)
            throw Refused {};
        if (!attribute(el, "src"))
            return;
        const QString src = attr(el, "src");
        if (src.isEmpty())
            throw Refused {};
        m_frameSources.append(src);
    }

    // A frame of another origin cannot be read by the page, so it adds nothing, as in the
    // engine; any address but http(s) is the engine's.
    void addFrame(const QString& src)
    {
        const QUrl frame = resolveUrl(src, m_base);
        const QString scheme = frame.scheme();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            throw Refused {};
        if (scheme == m_page.scheme() && frame.host() == m_page.host()
            && frame.port() == m_page.port())
            m_frames->append(frame);
    }

    // document.title: the first title element's text, ASCII white space stripped and
    // collapsed.
    static QString titleOf(const GumboElement& el)
    {
        QString text;
        for (unsigned i = 0; i < el.children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(el.children.data[i]);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
                text += utf8(child->v.text.text);
        }
        static const QRegularExpression ascii(QStringLiteral("[\\t\\n\\f\\r ]+"));
        return text.replace(ascii, QStringLiteral(" ")).trimmed();
    }

    // Only the addresses whose spelling the engine keeps as it is (after resolution) are
    // read here; any other sends the page to the engine.
    static bool plainAddress(const QString& href)
    {
        static const QRegularExpression plain(
            QStringLiteral("^(?:(?:https?|mailto|javascript):|(?![A-Za-z][A-Za-z0-9+.-]*:))"
                           "(?:[A-Za-z0-9\\-._~:/?#@!$&()*+,;=]|%[0-9A-Fa-f]{2})*$"));
        return plain.match(href).hasMatch();
    }

    static QString serialise(const QUrl& url)
    {
        QUrl out = url;
        if ((out.scheme() == QLatin1String("http") || out.scheme() == QLatin1String("https"))
            && out.path().isEmpty())
            out.setPath(QStringLiteral("/"));
        return QString::fromLatin1(out.toEncoded(QUrl::FullyEncoded));
    }

    static QUrl resolveUrl(const QString& href, const QUrl& base)
    {
        if (!plainAddress(href))
            throw Refused {};
        const QUrl url(href, QUrl::StrictMode);
        if (!url.isValid())
            throw Refused {};
        QUrl resolved = base.resolved(url);
        const QString scheme = resolved.scheme();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
            if (resolved.port() == (scheme == QLatin1String("http") ? 80 : 443)
                || resolved.host().isEmpty() || resolved.path().contains(QLatin1String("/."))
                || resolved.query().contains(QLatin1Char('\'')))
                throw Refused {};
        }
        return resolved;
    }

    // An attribute's address made absolute against the document's base. A data: or blob:
    // address stays as it is: it is never an entry.
    QString resolve(const QString& value) const
    {
        if (value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)
            || value.startsWith(QLatin1String("blob:"), Qt::CaseInsensitive))
            return value;
        return serialise(resolveUrl(value, m_base));
    }

    // A reflected address attribute (el.src): empty without the attribute.
    QString urlAttr(const GumboElement& el, const char* name) const
    {
        const GumboAttribute* a = attribute(el, name);
        if (!a)
            return {};
        const QString value = utf8(a->value);
        if (value.isEmpty())
            throw Refused {}; // the engine gives the base address itself
        return resolve(value);
    }

    static void textOf(const GumboNode* node, QString& out)
    {
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE
            || node->type == GUMBO_NODE_CDATA) {
            out += utf8(node->v.text.text);
            return;
        }
        if (node->type != GUMBO_NODE_ELEMENT)
            return;
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            textOf(static_cast<const GumboNode*>(children.data[i]), out);
    }

    static QString label(const GumboNode* node)
    {
        if (!node)
            return {};
        const QString alt = clean(attr(node->v.element, "alt"));
        return alt.isEmpty() ? clean(attr(node->v.element, "title")) : alt;
    }

    // The first descendant element that passes test, in tree order.
    template <typename Test> static const GumboNode* find(const GumboNode* node, Test test)
    {
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type != GUMBO_NODE_ELEMENT)
                continue;
            if (test(child))
                return child;
            if (const GumboNode* found = find(child, test))
                return found;
        }
        return nullptr;
    }

    static QString linkText(const GumboNode* node)
    {
        QString content;
        textOf(node, content);
        QString text = clean(content);
        if (text.isEmpty())
            text = label(node);
        if (text.isEmpty()) {
            text = label(find(node, [](const GumboNode* n) {
                return isTag(n, GUMBO_TAG_IMG) && attribute(n->v.element, "alt");
            }));
        }
        return text;
    }

    void add(const QString& url, EntryKind kind, const QString& text)
    {
        if (url.isEmpty())
            return;
        const QString head = url.left(5).toLower();
        if (head == QLatin1String("data:") || head == QLatin1String("blob:"))
            return;
        if (kind != EntryKind::Link && isScript(url))
            return;
        ListEntry entry;
        entry.url = url;
        entry.context.kind = kind;
        entry.context.text = text;
        m_entries.append(std::move(entry));
    }

    // Whether a rel attribute holds the token "next".
    static bool isNextRel(const QString& rel)
    {
        const QStringList tokens
            = rel.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        return tokens.contains(QLatin1String("next"), Qt::CaseInsensitive);
    }

    static bool isScript(const QString& url)
    {
        static const QRegularExpression script(
            QStringLiteral("^\\s*javascript:"), QRegularExpression::CaseInsensitiveOption);
        return script.match(url).hasMatch();
    }

    bool withinPage(const QString& href) const
    {
        const qsizetype hash = href.indexOf(QLatin1Char('#'));
        return hash >= 0 && href.left(hash) == m_pageBare;
    }

    // The largest candidate of a srcset, as the walk's largest().
    QString largest(const QString& set, const QString& fallback) const
    {
        QString best;
        double bestW = -1;
        double bestX = -1;
        if (!fallback.isEmpty()) {
            best = fallback;
            bestX = 1;
        }
        std::optional<QString> chosen;
        const qsizetype n = set.size();
        qsizetype i = 0;
        static const QRegularExpression descriptor(
            QStringLiteral("(\\d*\\.?\\d+(?:e[+-]?\\d+)?)\\s*([wx])"),
            QRegularExpression::CaseInsensitiveOption);
        while (i < n) {
            while (i < n && (set.at(i) == QLatin1Char(',') || isJsSpace(set.at(i))))
                ++i;
            if (i >= n)
                break;
            qsizetype b = i;
            while (i < n && !isJsSpace(set.at(i)))
                ++i;
            QString url = set.mid(b, i - b);
            QString desc;
            if (url.endsWith(QLatin1Char(','))) {
                while (url.endsWith(QLatin1Char(',')))
                    url.chop(1);
            } else {
                int depth = 0;
                b = i;
                for (; i < n; ++i) {
                    const QChar c = set.at(i);
                    if (c == QLatin1Char('('))
                        ++depth;
                    else if (c == QLatin1Char(')')) {
                        if (depth)
                            --depth;
                    } else if (c == QLatin1Char(',') && !depth)
                        break;
                }
                desc = set.mid(b, i - b);
            }
            if (isScript(url))
                continue;
            const QRegularExpressionMatch m = descriptor.match(desc);
            const double v = m.hasMatch() ? m.captured(1).toDouble() : 1;
            if (m.hasMatch()
                && m.captured(2).compare(QLatin1String("w"), Qt::CaseInsensitive) == 0) {
                if (v > bestW) {
                    bestW = v;
                    chosen = url;
                }
            } else if (bestW < 0 && v > bestX) {
                bestX = v;
                chosen = url;
            }
        }
        return chosen ? resolve(*chosen) : best;
    }

    void image(const GumboElement& el, const GumboNode* node)
    {
        static const char* const lazy[] = { "data-src", "data-original", "data-lazy-src",
            "data-lazy", "data-original-src", "data-hi-res-src", "data-full-src", "data-url" };
        static const char* const lazySet[]
            = { "data-srcset", "data-lazy-srcset", "data-original-set" };
        QString src;
        QString set;
        for (unsigned i = 0; i < el.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(el.attributes.data[i]);
            const QByteArray name(a->name);
            const QString value = utf8(a->value);
            const bool isLazy = std::any_of(
                std::begin(lazy), std::end(lazy), [&](const char* n) { return name == n; });
            const bool isLazySet = std::any_of(
                std::begin(lazySet), std::end(lazySet), [&](const char* n) { return name == n; });
            if (isLazy && src.isEmpty() && !value.isEmpty())
                src = resolve(value);
            else if (isLazySet && set.isEmpty())
                set = value;
        }
        if (set.isEmpty())
            set = attr(el, "srcset");
        if (src.isEmpty())
            src = urlAttr(el, "src");
        const QString url = set.isEmpty() ? src : largest(set, src);
        const GumboNode* link = m_fullSize ? pictureLink(node) : nullptr;
        if (link) {
            const QString href = resolve(attr(link->v.element, "href"));
            if (href != url) {
                const qsizetype at = m_entries.size();
                const QString text = label(node);
                add(href, EntryKind::Image, text.isEmpty() ? linkText(link) : text);
                if (m_entries.size() > at)
                    m_entries.last().context.thumbnail = url;
                return;
            }
        }
        add(url, EntryKind::Image, label(node));
    }

    // The nearest link around node (node itself included) when its target is a picture
    // by its name, as the engine's walk reads it; else null.
    const GumboNode* pictureLink(const GumboNode* node) const
    {
        static const QRegularExpression pictureName(
            QStringLiteral("\\.(jpe?g|jpe|jfif|a?png|gif|webp|svgz?|avif|bmp)$"),
            QRegularExpression::CaseInsensitiveOption);
        for (; node && node->type == GUMBO_NODE_ELEMENT; node = node->parent) {
            const GumboElement& el = node->v.element;
            if (el.tag != GUMBO_TAG_A || !attribute(el, "href"))
                continue;
            const QString href = resolve(attr(el, "href"));
            if (isScript(href))
                return nullptr;
            const QString path
                = href.section(QLatin1Char('#'), 0, 0).section(QLatin1Char('?'), 0, 0);
            return pictureName.match(path).hasMatch() ? node : nullptr;
        }
        return nullptr;
    }

    void walk(const GumboNode* node)
    {
        if (node->type == GUMBO_NODE_DOCUMENT) {
            const GumboVector& children = node->v.document.children;
            for (unsigned i = 0; i < children.length; ++i)
                walk(static_cast<const GumboNode*>(children.data[i]));
            return;
        }
        if (node->type != GUMBO_NODE_ELEMENT)
            return;
        const GumboElement& el = node->v.element;
        const GumboNode* parent = node->parent;
        const bool parentIsElement = parent && parent->type == GUMBO_NODE_ELEMENT;
        if (m_wantLinks && (el.tag == GUMBO_TAG_A || el.tag == GUMBO_TAG_AREA)) {
            // A link around a thumbnail of its picture is listed as that picture.
            const bool thumbnailLink = m_fullSize && el.tag == GUMBO_TAG_A
                && find(node, [](const GumboNode* n) { return isTag(n, GUMBO_TAG_IMG); })
                && pictureLink(node) == node;
            if (attribute(el, "href") && !thumbnailLink) {
                const QString href = resolve(attr(el, "href"));
                if (!withinPage(href)) {
                    const qsizetype before = m_entries.size();
                    add(href, EntryKind::Link, linkText(node));
                    if (m_entries.size() > before)
                        m_entries.last().context.relNext = isNextRel(attr(el, "rel"));
                }
            }
        } else if (m_wantMedia) {
            switch (el.tag) {
            case GUMBO_TAG_IMG:
                image(el, node);
                break;
            case GUMBO_TAG_SOURCE:
                // A picture element is unknown to the parser, so a page with one is
                // the engine's.
                if (parentIsElement
                    && (parent->v.element.tag == GUMBO_TAG_VIDEO
                        || parent->v.element.tag == GUMBO_TAG_AUDIO)) {
                    add(urlAttr(el, "src"),
                        parent->v.element.tag == GUMBO_TAG_VIDEO ? EntryKind::Video
                                                                 : EntryKind::Audio,
                        label(parent));
                }
                break;
            case GUMBO_TAG_VIDEO:
            case GUMBO_TAG_AUDIO:
                add(urlAttr(el, "src"),
                    el.tag == GUMBO_TAG_VIDEO ? EntryKind::Video : EntryKind::Audio, label(node));
                if (el.tag == GUMBO_TAG_VIDEO && !attr(el, "poster").isEmpty())
                    add(urlAttr(el, "poster"), EntryKind::Poster, label(node));
                break;
            case GUMBO_TAG_INPUT:
                if (attr(el, "type").toLower() == QLatin1String("image")
                    && !attr(el, "src").isEmpty())
                    add(urlAttr(el, "src"), EntryKind::Image, label(node));
                break;
            case GUMBO_TAG_TRACK: {
                const QString text = clean(attr(el, "label"));
                add(urlAttr(el, "src"),
                    parentIsElement && parent->v.element.tag == GUMBO_TAG_AUDIO ? EntryKind::Audio
                                                                                : EntryKind::Video,
                    text.isEmpty() ? (parentIsElement ? label(parent) : QString()) : text);
                break;
            }
            default:
                break;
            }
        }
        for (unsigned i = 0; i < el.children.length; ++i)
            walk(static_cast<const GumboNode*>(el.children.data[i]));
    }

    QUrl m_page;
    QUrl m_base;
    QString m_pageBare; // the page's address without its fragment
    std::optional<QString> m_baseHref;
    QString m_title;
    bool m_titleSeen = false;
    bool m_wantLinks;
    bool m_wantMedia;
    bool m_fullSize; // a picture inside a link to a picture is listed as the linked one
    QList<QUrl>* m_frames; // null: a page with frames is the engine's
    QStringList m_frameSources; // the frames' src attributes, in document order
    ListEntries m_entries;
};

// Whether the bytes are read as UTF-8 by the engine too: declared so (by the response,
// a byte order mark or a meta element), or plain ASCII, which every default reads alike.
bool readsAsUtf8(const QByteArray& html, const QString& charset, const GumboNode* root)
{
    const auto isUtf8 = [](const QString& name) {
        return name.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0;
    };
    if (!charset.isEmpty())
        return isUtf8(charset);
    if (html.startsWith("\xEF\xBB\xBF"))
        return true;
    // A meta charset or http-equiv Content-Type, wherever the parser put it.
    static const QRegularExpression named(QStringLiteral("charset\\s*=\\s*[\"']?([^\"';\\s]+)"),
        QRegularExpression::CaseInsensitiveOption);
    std::optional<QString> declared;
    // Deeper than kMaxDepth the reader refuses the page anyway.
    const std::function<void(const GumboNode*, int)> look = [&](const GumboNode* node, int depth) {
        if (declared || depth > kMaxDepth
            || (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT))
            return;
        if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_META) {
            const GumboElement& el = node->v.element;
            if (attribute(el, "charset"))
                declared = attr(el, "charset").trimmed();
            else if (attr(el, "http-equiv")
                         .compare(QLatin1String("content-type"), Qt::CaseInsensitive)
                == 0) {
                const QRegularExpressionMatch m = named.match(attr(el, "content"));
                if (m.hasMatch())
                    declared = m.captured(1);
            }
        }
        const GumboVector& children = node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children
                                                                        : node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            look(static_cast<const GumboNode*>(children.data[i]), depth + 1);
    };
    look(root, 0);
    if (declared)
        return isUtf8(*declared);
    for (const char c : html) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

std::optional<ListEntries> StaticPageReader::read(const QByteArray& html, const QUrl& page,
    const QString& charset, const HarvestScope& scope, QList<QUrl>* frames)
{
    if (html.contains('\0') || scope.scroll)
        return std::nullopt;
    std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> output(
        gumbo_parse_with_options(
            &kGumboDefaultOptions, html.constData(), static_cast<size_t>(html.size())),
        [](GumboOutput* out) { gumbo_destroy_output(&kGumboDefaultOptions, out); });
    if (!output || !readsAsUtf8(html, charset, output->document))
        return std::nullopt;
    // Bytes that are not UTF-8 are read differently by the engine and by the parser.
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)QString(decoder(html));
    if (decoder.hasError())
        return std::nullopt;
    try {
        return Reader(page, scope, frames).read(output->document);
    } catch (const Refused&) {
        return std::nullopt;
    }
}
