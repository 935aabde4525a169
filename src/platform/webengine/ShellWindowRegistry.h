#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include "builders/IShellWindows.h"

class QWebEnginePage;

// The program's open browser windows, in the order they registered. A window's page
// registers once it exists and leaves the registry by itself when it is destroyed.
// Whether a page shows an HTML document is learnt from the document's own content type
// after each completed load.
class ShellWindowRegistry final : public QObject, public IShellWindows
{
    Q_OBJECT
public:
    explicit ShellWindowRegistry(QObject* parent = nullptr);
    ~ShellWindowRegistry() override;

    // The registry of this process, shared by every window and the builders.
    static ShellWindowRegistry& instance();

    // Registering a page twice keeps its first place.
    void registerPage(QWebEnginePage* page);
    void unregisterPage(QWebEnginePage* page);
    int count() const { return static_cast<int>(m_pages.size()); }

    QList<std::shared_ptr<IShellWindow>> windows() const override;
    // The page registered last among those that show an HTML document, or null.
    QWebEnginePage* lastHtmlPage() const;

private:
    void refreshContentType(QWebEnginePage* page);
    bool showsHtml(QWebEnginePage* page) const;

    QList<QPointer<QWebEnginePage>> m_pages;
    QHash<QWebEnginePage*, QString> m_contentTypes;
};
