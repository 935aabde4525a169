#include "winsupport/ui/HelpViewer.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QWindow>

#include "winsupport/WindowPlacement.h"
#include "winsupport/ui/Shell.h"

namespace
{
const QString kTitle = QStringLiteral("Quillmarch Help");
const QString kContents = QStringLiteral("index.html");
// The help window is made no smaller than this to fit beside a dialog.
constexpr QSize kLeastSize(400, 300);
} // namespace

HelpViewer::HelpViewer(const QString& bookFolder, const QStringList& searched, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , m_bookFolder(bookFolder)
    , m_searched(searched)
    , m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(kTitle);
    resize(820, 620);

    // Links are followed here: pages of the book in this window, anything else (web and
    // e-mail addresses) with the user's own programs.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    if (!m_bookFolder.isEmpty())
        m_browser->setSearchPaths({ m_bookFolder });
    setCentralWidget(m_browser);

    QToolBar* bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("HelpNavigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"), m_browser,
        &QTextBrowser::backward);
    m_back->setShortcut(QKeySequence::Back);
    m_forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"),
        m_browser, &QTextBrowser::forward);
    m_forward->setShortcut(QKeySequence::Forward);
    QAction* contents
        = bar->addAction(QIcon::fromTheme(QStringLiteral("help-contents"),
                             style()->standardIcon(QStyle::SP_FileDialogDetailedView)),
            tr("Contents"), this,
            [this] { m_browser->setSource(QUrl::fromLocalFile(m_bookFolder + kContents)); });
    contents->setToolTip(tr("Show the list of help topics"));
    QAction* home = bar->addAction(
        QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
        tr("Home"), this, [this] {
            if (m_home.isValid())
                m_browser->setSource(m_home);
        });
    home->setToolTip(tr("Return to the page this help was opened at"));
    contents->setEnabled(hasBook());
    home->setEnabled(hasBook());
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);

    if (!hasBook())
        showMissingBook();
}

void HelpViewer::showPage(const QString& page)
{
    if (!hasBook()) {
        showMissingBook();
        return;
    }
    const int hash = page.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? page : page.left(hash);
    QUrl url = QUrl::fromLocalFile(m_bookFolder + (file.isEmpty() ? kContents : file));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    m_home = url;
    if (m_browser->source() == url)
        m_browser->reload();
    else
        m_browser->setSource(url);
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
}

QUrl HelpViewer::currentSource() const
{
    return m_browser->source();
}

void HelpViewer::stayUsableOver(QWidget* modal)
{
    if (modal == this)
        return;
    if (modal == m_modalHost && parentWidget() == (modal ? modal : m_owner.data()))
        return;
    if (m_modalHost)
        m_modalHost->removeEventFilter(this);
    m_modalHost = modal;
    const QRect frame = geometry();
    const bool shown = isVisible();
    setParent(modal ? modal : m_owner.data(), Qt::Window);
    followOwnerBand();
    // A window not shown yet is placed by the window manager when it first shows.
    if (shown && !frame.isEmpty())
        setGeometry(frame);
    if (modal)
        modal->installEventFilter(this);
    if (shown)
        show();
}

void HelpViewer::placeOnScreen(QWidget* dialog)
{
    QWidget* reference = dialog ? dialog->window() : m_owner.data();
    QScreen* screen = reference ? reference->screen() : this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // The decoration around the window; before it first shows, that of the window it
    // belongs to is the best guess.
    const QWidget* framed = isVisible() || !reference ? this : reference;
    const QRect outer = framed->frameGeometry();
    const QRect inner = framed->geometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
        outer.right() - inner.right(), outer.bottom() - inner.bottom());

    QRect frame = isVisible() ? frameGeometry() : QRect(QPoint(), size()).marginsAdded(margins);
    m_placeOnExpose = !isVisible();
    m_placedBeside = dialog;
    if (!isVisible())
        frame.moveCenter(reference ? reference->frameGeometry().center() : available.center());
    if (dialog && (!isVisible() || frame.intersects(dialog->frameGeometry())))
        frame = PlacedBeside(frame.size(),
            QSize(kLeastSize.width() + margins.left() + margins.right(),
                kLeastSize.height() + margins.top() + margins.bottom()),
            dialog->frameGeometry(), available);
    else
        frame = KeptOnScreen(frame, available);
    resize(frame.marginsRemoved(margins).size());
    move(frame.topLeft());
}

void HelpViewer::setOwner(QWidget* owner)
{
    if (owner == m_owner || owner == this)
        return;
    m_owner = owner;
    if (!m_modalHost)
        stayUsableOver(nullptr);
}

// A window manager keeps a window above its owner only within the owner's band: an owner
// that stays on top of other windows takes its help window into that band.
void HelpViewer::followOwnerBand()
{
    QWidget* owner = m_modalHost ? m_modalHost.data() : m_owner.data();
    while (owner && owner->parentWidget())
        owner = owner->parentWidget();
    if (!owner)
        return;
    const QWindow* ownerWindow = owner->windowHandle();
    const bool onTop = ownerWindow ? ownerWindow->flags().testFlag(Qt::WindowStaysOnTopHint)
                                   : owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void HelpViewer::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool HelpViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (m_placeOnExpose && watched == windowHandle() && event->type() == QEvent::Expose
        && windowHandle()->isExposed()) {
        m_placeOnExpose = false;
        placeOnScreen(m_placedBeside);
    }
    if (watched == m_modalHost && event->type() == QEvent::Hide)
        stayUsableOver(nullptr);
    return QMainWindow::eventFilter(watched, event);
}

void HelpViewer::showMissingBook()
{
    QString places;
    for (const QString& folder : m_searched)
        places += QStringLiteral("<li><code>%1</code></li>")
                      .arg(QDir::toNativeSeparators(folder).toHtmlEscaped());
    m_browser->setHtml(tr("<h2>The help book was not found</h2>"
                          "<p>Quillmarch looks for its help pages (a folder holding "
                          "<code>index.html</code>) in these places, and none of them has it:</p>"
                          "<ul>%1</ul>"
                          "<p>Reinstalling Quillmarch puts the help book back.</p>")
                           .arg(places));
}

void HelpViewer::followLink(const QUrl& link)
{
    const QUrl url = m_browser->source().resolved(link);
    if (url.isLocalFile()) {
        m_browser->setSource(url);
        return;
    }
    OpenWithShell(this, url.toString());
}
