#include "platform/webengine/ShellWindowRegistry.h"

#include <QCoreApplication>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include "platform/webengine/WebEngineHarvestBrowser.h"

namespace
{

// A registered page as the builders see it. Holds the page weakly: once the window
// closed, the handle shows no address and yields no entries.
class RegisteredPage final : public IShellWindow
{
public:
    RegisteredPage(QWebEnginePage* page, QString contentType)
        : m_page(page)
        , m_contentType(std::move(contentType))
    {
    }

    QString locationUrl() const override { return m_page ? m_page->url().toString() : QString(); }
    bool isHtmlDocument() const override
    {
        return m_page
            && (m_contentType == QLatin1StringView("text/html")
                || m_contentType == QLatin1StringView("application/xhtml+xml"));
    }
    void collectEntries(const HarvestScope& scope, IHarvestBrowser::EntriesHandler done) override
    {
        WebEngineHarvestBrowser::collectEntriesFrom(m_page, scope, std::move(done));
    }

private:
    QPointer<QWebEnginePage> m_page;
    QString m_contentType;
};

} // namespace

ShellWindowRegistry::ShellWindowRegistry(QObject* parent)
    : QObject(parent)
{
}

ShellWindowRegistry::~ShellWindowRegistry()
{
    for (const QPointer<QWebEnginePage>& page : std::as_const(m_pages)) {
        if (page)
            page->disconnect(this);
    }
}

ShellWindowRegistry& ShellWindowRegistry::instance()
{
    static ShellWindowRegistry registry;
    return registry;
}

void ShellWindowRegistry::registerPage(QWebEnginePage* page)
{
    if (!page || m_pages.contains(page))
        return;
    m_pages.append(page);
    connect(page, &QObject::destroyed, this, [this, page] {
        m_pages.removeIf([](const QPointer<QWebEnginePage>& p) { return p.isNull(); });
        m_contentTypes.remove(page);
    });
    connect(
        page, &QWebEnginePage::loadStarted, this, [this, page] { m_contentTypes.remove(page); });
    connect(page, &QWebEnginePage::loadFinished, this,
        [this, page](bool) { refreshContentType(page); });
    refreshContentType(page);
}

void ShellWindowRegistry::unregisterPage(QWebEnginePage* page)
{
    if (!page)
        return;
    m_pages.removeAll(page);
    m_contentTypes.remove(page);
    page->disconnect(this);
}

QList<std::shared_ptr<IShellWindow>> ShellWindowRegistry::windows() const
{
    QList<std::shared_ptr<IShellWindow>> result;
    for (const QPointer<QWebEnginePage>& page : m_pages) {
        if (page)
            result.append(std::make_shared<RegisteredPage>(page, m_contentTypes.value(page)));
    }
    return result;
}

bool ShellWindowRegistry::showsHtml(QWebEnginePage* page) const
{
    const QString type = m_contentTypes.value(page);
    return type == QLatin1StringView("text/html")
        || type == QLatin1StringView("application/xhtml+xml");
}

QWebEnginePage* ShellWindowRegistry::lastHtmlPage() const
{
    for (auto it = m_pages.crbegin(); it != m_pages.crend(); ++it) {
        if (*it && showsHtml(*it))
            return *it;
    }
    return nullptr;
}

void ShellWindowRegistry::refreshContentType(QWebEnginePage* page)
{
    QPointer<ShellWindowRegistry> self(this);
    QPointer<QWebEnginePage> guard(page);
    page->runJavaScript(QStringLiteral("document.contentType"), QWebEngineScript::ApplicationWorld,
        [self, guard](const QVariant& result) {
            if (self && guard && self->m_pages.contains(guard))
                self->m_contentTypes.insert(guard, result.toString());
        });
}
