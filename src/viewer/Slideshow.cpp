#include "viewer/Slideshow.h"

#include <QPointer>
#include <algorithm>

#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/SettingsTable.h"
#include "listops/LinkList.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"
#include "viewer/IBrowserWindow.h"
#include "viewer/LinkViewer.h"

namespace
{

const QString kInProgress = QStringLiteral("Slideshow in progress.");

} // namespace

const QString Slideshow::kSection = TypedSettings::section(SettingsTable::SlideshowInterval);

Slideshow::Slideshow(LinkViewer& viewer, LinkList& list, IMainView& view, IUserPrompt& prompt,
    CRegSettings& settings, QObject* parent)
    : QObject(parent)
    , m_viewer(viewer)
    , m_list(list)
    , m_view(view)
    , m_prompt(prompt)
    , m_settings(settings)
{
    connect(&m_timer2, &QTimer::timeout, this, &Slideshow::advance);
}

SlideshowOptions Slideshow::LoadOptions(const CRegSettings& settings)
{
    SlideshowOptions options;
    options.interval = TypedSettings::readInt(settings, SettingsTable::SlideshowInterval);
    options.justSelected = TypedSettings::readBool(settings, SettingsTable::SlideshowIncludeFiles);
    options.fromLoadComplete = TypedSettings::readBool(settings, SettingsTable::SlideshowWait);
    return options;
}

void Slideshow::SaveOptions(CRegSettings& settings, const SlideshowOptions& options)
{
    const CRegSettings::WriteBatch batch = settings.batch();
    TypedSettings::writeInt(settings, SettingsTable::SlideshowInterval, options.interval);
    TypedSettings::writeBool(settings, SettingsTable::SlideshowIncludeFiles, options.justSelected);
    TypedSettings::writeBool(settings, SettingsTable::SlideshowWait, options.fromLoadComplete);
}

void Slideshow::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    emit runningChanged(running);
}

void Slideshow::buttonClicked(bool down)
{
    if (m_inDialog)
        return;
    if (down && !m_running) {
        setRunning(true);
        start();
    } else if (!down && m_running) {
        setRunning(false);
        pause();
    }
}

void Slideshow::start()
{
    const QPointer<Slideshow> self(this);
    // A start given up in the dialog leaves the status as it found it.
    const QString foundStatus = m_view.Status();
    const StatusKind foundKind = m_view.statusKind();
    m_stopped = false;
    QStringList slides;
    SlideshowOptions options;
    for (;;) {
        m_view.setWaitPointer(false);
        m_inDialog = true;
        const std::optional<SlideshowOptions> chosen
            = m_prompt.askSlideshowOptions(LoadOptions(m_settings));
        if (!self)
            return;
        m_inDialog = false;
        if (!chosen) {
            m_view.setStatus(foundKind, foundStatus);
            setRunning(false);
            return;
        }
        options = *chosen;
        options.interval = std::clamp(options.interval, SettingsTable::SlideshowInterval.minimum,
            SettingsTable::SlideshowInterval.maximum);
        SaveOptions(m_settings, options);
        m_view.setStatus(StatusKind::Slideshow, kInProgress);
        m_view.setBusyPointer();
        m_paused = false;
        if (!options.justSelected) {
            slides = m_list.entries();
        } else {
            for (int i : m_list.selectedIndexes())
                slides.append(m_list.at(i));
        }
        if (!slides.isEmpty() || !options.justSelected)
            break;
        m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Oops!"),
            QStringLiteral("You have no links selected. Can't start slideshow."));
        if (!self)
            return;
    }

    m_timer2.stop();
    m_advancePending = false;
    m_batchlinks = slides;
    m_position = 1;
    m_wait = options.fromLoadComplete;
    m_timer2.setInterval(options.interval * m_msPerSecond);
    if (m_batchlinks.isEmpty() || m_batchlinks.first().isEmpty())
        return; // nothing to load: the button stays down until the user acts
    if (!m_viewer.PrepareBrowserWindow()) {
        setRunning(false);
        showIdleState();
        return;
    }
    m_viewer.WebBrowser1()->Navigate(m_batchlinks.first());
    if (!m_wait)
        m_timer2.start();
}

void Slideshow::advance()
{
    if (m_position >= m_batchlinks.size()) {
        setRunning(false);
        m_wait = false;
        m_timer2.stop();
        return;
    }
    ++m_position;
    IBrowserWindow* window = m_viewer.WebBrowser1();
    if (window && window->Busy()) {
        // The slide waits until the page shown now has loaded (documentComplete).
        m_timer2.stop();
        m_advancePending = true;
        return;
    }
    continueAdvance();
}

void Slideshow::continueAdvance()
{
    m_advancePending = false;
    if (!m_viewer.showSlide(m_batchlinks.at(m_position - 1))) {
        setRunning(false);
        m_timer2.stop();
        showIdleState();
        return;
    }
    if (m_wait)
        m_timer2.stop();
    else if (m_running && !m_timer2.isActive())
        m_timer2.start();
}

void Slideshow::documentComplete()
{
    if (m_wait && !m_stopped && !m_paused)
        m_timer2.start();
    if (m_position != 0 && m_position == m_batchlinks.size()) {
        m_view.setWaitPointer(false);
        setRunning(false);
        m_wait = false;
        m_timer2.stop();
    }
    if (m_advancePending) {
        // The advance goes on once the viewer has finished with this completion.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_advancePending)
                    continueAdvance();
            },
            Qt::QueuedConnection);
    }
}

void Slideshow::pause()
{
    m_timer2.stop();
    if (m_advancePending) {
        // The slide that waited is shown after the pause instead.
        m_advancePending = false;
        --m_position;
    }
    m_paused = true;
    m_view.setStatus(StatusKind::SlideshowPaused, QStringLiteral("Slideshow paused."));
    const QPointer<Slideshow> self(this);
    m_inDialog = true;
    const bool resume = m_prompt.askSlideshowResume();
    if (!self)
        return;
    m_inDialog = false;
    if (resume) {
        m_paused = false;
        m_timer2.start();
        setRunning(true);
        m_view.setStatus(StatusKind::Slideshow, kInProgress);
    } else {
        m_stopped = true;
        showIdleState();
    }
}

void Slideshow::stopByOtherButton()
{
    if (!m_running)
        return;
    setRunning(false);
    m_timer2.stop();
    m_advancePending = false;
    m_stopped = true;
    showIdleState();
}

void Slideshow::browserQuit()
{
    m_timer2.stop();
    m_advancePending = false;
    // A show in load-complete mode must not come back with the next window's first
    // completed page.
    m_stopped = true;
    setRunning(false);
}

void Slideshow::showIdleState()
{
    m_view.setWaitPointer(false);
    m_view.setIdleStatus();
    m_view.setLinkCount(m_list.count());
}
