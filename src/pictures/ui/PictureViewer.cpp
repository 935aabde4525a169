#include "pictures/ui/PictureViewer.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

#include "pictures/PictureFetcher.h"
#include "pictures/PictureGridModel.h"

namespace
{

PictureFetchOptions viewerOptions()
{
    PictureFetchOptions options;
    options.atOnce = 2;
    options.perHost = 2;
    options.limits.thumbnailSide = 8192; // the real size, within the pixel bound
    return options;
}

} // namespace

PictureViewer::PictureViewer(
    PictureGridModel& model, ITransferService& transfers, int row, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_cache(QString(), 256LL * 1024 * 1024)
{
    setObjectName("pictureViewer");
    setWindowTitle(tr("Picture"));
    setStyleSheet("QDialog, QScrollArea, QLabel#picture { background: black; }"
                  " QLabel#caption { color: white; background: black; padding: 4px; }");
    m_fetcher = new PictureFetcher(&transfers, &m_cache, viewerOptions(), this);
    m_area = new QScrollArea(this);
    m_area->setAlignment(Qt::AlignCenter);
    m_area->setFrameShape(QFrame::NoFrame);
    m_picture = new QLabel(m_area);
    m_picture->setObjectName("picture");
    m_picture->setAlignment(Qt::AlignCenter);
    m_area->setWidget(m_picture);
    m_area->setWidgetResizable(false);
    m_caption = new QLabel(this);
    m_caption->setObjectName("caption");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_area, 1);
    layout->addWidget(m_caption);
    connect(m_fetcher, &PictureFetcher::pictureReady, this,
        [this](const QString& url, const PictureFacts&, const QImage& image) {
            if (url == currentUrl() && !image.isNull()) {
                m_image = image;
                render();
            }
        });
    show(row);
}

QString PictureViewer::currentUrl() const
{
    const QModelIndex index = m_model.index(m_row, 0);
    return index.data(PictureGridModel::UrlRole).toString();
}

void PictureViewer::show(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    m_row = row;
    const QString url = currentUrl();
    m_image = m_model.thumbnailOf(url);
    m_fetcher->cancelAll();
    const PictureFacts facts = m_model.factsOf(url);
    if (facts.type != PictureType::Video && facts.state != PictureFacts::State::Failed)
        m_fetcher->request({ url, QString(), true });
    render();
    emit currentChanged(row);
}

void PictureViewer::render()
{
    const QModelIndex index = m_model.index(m_row, 0);
    const PictureFacts facts = m_model.factsOf(currentUrl());
    QStringList caption { index.data(Qt::DisplayRole).toString() };
    if (const QString size = index.data(PictureGridModel::CaptionRole).toString(); !size.isEmpty())
        caption.append(size);
    if (!facts.reason.isEmpty())
        caption.append(facts.reason);
    caption.append(tr("%1 of %2").arg(m_row + 1).arg(m_model.rowCount()));
    caption.append(m_fit ? tr("fitted (F: real size)") : tr("real size (F: fit)"));
    m_caption->setText(caption.join(QStringLiteral("   ·   ")));
    if (m_image.isNull()) {
        m_picture->setPixmap(QPixmap());
        m_picture->setText(facts.reason.isEmpty() ? tr("Loading…") : facts.reason);
        m_picture->resize(m_area->viewport()->size());
        return;
    }
    QImage shown = m_image;
    const QSize room = m_area->viewport()->size();
    if (m_fit && (shown.width() > room.width() || shown.height() > room.height()))
        shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_picture->setPixmap(QPixmap::fromImage(shown));
    m_picture->resize(shown.size().expandedTo(room));
}

void PictureViewer::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        show(m_row + 1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        show(m_row - 1);
        return;
    case Qt::Key_Home:
        show(0);
        return;
    case Qt::Key_End:
        show(m_model.rowCount() - 1);
        return;
    case Qt::Key_Space:
        emit selectToggled(m_row);
        return;
    case Qt::Key_F:
        m_fit = !m_fit;
        render();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PictureViewer::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    render();
}
