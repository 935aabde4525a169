#include "winsupport/CProgressBarEx.h"

#include <algorithm>
#include <cmath>

#include "winsupport/IProgressSurface.h"
#include "winsupport/QmError.h"

bool CProgressBarEx::s_resizing = false;

namespace
{

// Rounds to the nearest whole number, halves to the even neighbour (the default
// floating-point rounding mode).
int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

void CProgressBarEx::setClient(IProgressSurface* client)
{
    if (!client)
        throw QmError(13, QStringLiteral("CProgressBarEx.Client"),
            QStringLiteral("Client property must be of type PictureBox."));
    m_client = client;
    ResizeEx();
}

void CProgressBarEx::setHost(IProgressSurface* host)
{
    if (!host)
        throw QmError(13, QStringLiteral("CProgressBarEx.Host"),
            QStringLiteral("Host property must be of type StatusBar."));
    m_host = host;
    if (m_client)
        ResizeEx();
}

void CProgressBarEx::setTextOnly(bool textOnly)
{
    m_textOnly = textOnly;
    if (textOnly) {
        if (m_host)
            m_host->setPanelPicture(m_panelKey, nullptr);
    } else {
        DrawBlocks();
    }
}

void CProgressBarEx::setValue(qint32 value)
{
    m_value = std::clamp(value, m_min, m_max);
    Refresh();
}

void CProgressBarEx::setMin(qint32 value)
{
    if (value >= m_max)
        throw QmError(kMinNotBelowMax, QStringLiteral("CProgressBar.Min"),
            QStringLiteral("Min property must be less than Max."));
    m_min = value;
    Refresh();
}

void CProgressBarEx::setMax(qint32 value)
{
    if (value <= m_min)
        return;
    m_max = value;
    Refresh();
}

void CProgressBarEx::setForeColor(quint32 color)
{
    m_foreColor = color;
    if (m_client)
        Refresh();
}

void CProgressBarEx::setBackColor(quint32 color)
{
    m_backColor = color;
    if (m_client)
        Refresh();
}

void CProgressBarEx::Refresh(bool clearFirst)
{
    if (!m_client)
        return;
    if (clearFirst)
        m_client->clearSurface(m_backColor);
    DrawBlocks();
}

void CProgressBarEx::Resize()
{
    CalcBlocks();
    Refresh(true);
}

void CProgressBarEx::ResizeEx()
{
    if (s_resizing || !m_client)
        return;
    if (m_host && !m_panelKey.isEmpty()) {
        const int panel = m_host->panelWidth(m_panelKey);
        if (panel >= 0) {
            m_client->setSurfaceWidth(std::max(0, panel - 4));
            m_client->setSurfaceHeight(std::max(0, m_host->hostHeight() - 4));
        }
    }
    CalcBlocks();

    const auto total = [this](int blocks) { return m_gap + (m_gap + m_blockWidth) * blocks; };
    const int scale = m_client->scaleWidth();
    // Of the two block counts around the drawing width, keep the one whose total width
    // lies nearer to it; a tie keeps the smaller.
    if (m_blockCount > 0 && total(m_blockCount) - scale >= scale - total(m_blockCount - 1))
        --m_blockCount;
    const int outside = m_client->surfaceWidth() - scale;

    s_resizing = true;
    m_client->setSurfaceWidth(total(m_blockCount) + outside);
    s_resizing = false;
    Refresh(true);
}

void CProgressBarEx::CalcBlocks()
{
    m_margin = 2;
    m_gap = 3;
    // A surface too low for a block gets no blocks rather than a division by zero.
    m_blockHeight = std::max(0, m_client ? m_client->scaleHeight() - 2 * m_margin : 0);
    m_blockWidth = roundEven(2.0 / 3.0 * m_blockHeight);
    if (m_blockHeight == 0 || !m_client)
        m_blockCount = 0;
    else
        m_blockCount = m_client->scaleWidth() / (m_gap + m_blockWidth) + 1;
}

void CProgressBarEx::DrawBlocks()
{
    if (m_textOnly || !m_client)
        return;
    // Multiplying first keeps exact halves exact. Min and Max do not clamp Value again,
    // so the share may lie outside 0..1.
    const double blocks = static_cast<double>(static_cast<qint64>(m_value) - m_min) * m_blockCount
        / static_cast<double>(static_cast<qint64>(m_max) - m_min);
    const int filled = std::clamp(roundEven(blocks), 0, m_blockCount);
    if (filled == m_lastDrawn)
        return;
    m_lastDrawn = filled;

    int x = m_margin;
    for (int block = 1; block <= m_blockCount; ++block) {
        m_client->fillRect(x, m_margin, x + m_blockWidth, m_margin + m_blockHeight - 1,
            block <= filled ? m_foreColor : m_backColor);
        x += m_gap + m_blockWidth;
    }
    if (m_host)
        m_host->setPanelPicture(m_panelKey, m_client);
}
