#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>

class QAction;
class QTextBrowser;

// The program's help window: the HTML help book in a text browser with back, forward,
// contents and home buttons. External addresses in the book open in the user's browser.
// Home returns to the page the window was last asked to show.
class HelpViewer final : public QMainWindow
{
    Q_OBJECT
public:
    // bookFolder: the help book's folder ending in "/", or empty when no book was found;
    // searched: the folders that were looked in, named in the message shown then.
    HelpViewer(const QString& bookFolder, const QStringList& searched, QWidget* parent = nullptr);

    // Shows page (a file of the book, with an optional "#anchor") and makes it Home.
    void showPage(const QString& page);
    QUrl currentSource() const;
    QTextBrowser* browser() const { return m_browser; }
    bool hasBook() const { return !m_bookFolder.isEmpty(); }

    // Keeps the window usable while modal is open: a modal dialog blocks every window
    // except its own, so the help window joins it until it is hidden, then returns to
    // its owner (and stays open).
    void stayUsableOver(QWidget* modal);
    // Keeps the whole window on the screen and, when dialog is given, beside it rather
    // than over it. A window not shown yet is centred over its owner first, and checked
    // again once it is on the screen.
    void placeOnScreen(QWidget* dialog);
    // The window the help belongs to (the main window): the help window stays above it,
    // also when that window keeps itself on top, and closes with it.
    void setOwner(QWidget* owner);
    // Takes the band of the owner (above other windows or not), so the window manager
    // can keep the help above it.
    void followOwnerBand();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showMissingBook();
    void followLink(const QUrl& link);

    QString m_bookFolder;
    QStringList m_searched;
    QTextBrowser* m_browser;
    QAction* m_back;
    QAction* m_forward;
    QUrl m_home;
    QPointer<QWidget> m_modalHost;
    QPointer<QWidget> m_owner;
    // Placed before it first showed: placed again once on the screen, when the size of
    // the window manager's frame is known.
    bool m_placeOnExpose = false;
    QPointer<QWidget> m_placedBeside;
};
