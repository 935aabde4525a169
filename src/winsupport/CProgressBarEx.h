#pragma once

#include <QString>
#include <QtGlobal>

class IProgressSurface;

// A block-style progress bar drawn on a surface (Client) and shown as the picture of one
// panel (PanelKey) of a status bar (Host). The bar is redrawn and handed to the panel
// only when the number of filled blocks changes, so frequent Value updates between block
// steps cost nothing.
class CProgressBarEx final
{
public:
    static constexpr quint32 kSystemHighlight = 0x8000000D;
    static constexpr quint32 kSystemButtonFace = 0x8000000F;
    // 0x80040002 as stored in a signed 32-bit number.
    static constexpr qint32 kMinNotBelowMax = -2147221502;

    CProgressBarEx() = default;
    CProgressBarEx(const CProgressBarEx&) = delete;
    CProgressBarEx& operator=(const CProgressBarEx&) = delete;

    IProgressSurface* Client() const { return m_client; }
    // Throws QmError 13 ("CProgressBarEx.Client") for nullptr; then fits the surface.
    void setClient(IProgressSurface* client);
    IProgressSurface* Host() const { return m_host; }
    // Throws QmError 13 ("CProgressBarEx.Host") for nullptr.
    void setHost(IProgressSurface* host);
    QString PanelKey() const { return m_panelKey; }
    void setPanelKey(const QString& key) { m_panelKey = key; }
    bool TextOnly() const { return m_textOnly; }
    void setTextOnly(bool textOnly);
    qint32 Value() const { return m_value; }
    // Clamped to Min..Max.
    void setValue(qint32 value);
    qint32 Min() const { return m_min; }
    // Throws QmError kMinNotBelowMax ("CProgressBar.Min") unless value < Max.
    void setMin(qint32 value);
    qint32 Max() const { return m_max; }
    // Ignored unless value > Min.
    void setMax(qint32 value);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 color);
    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 color);

    void Refresh(bool clearFirst = false);
    void Resize();
    // Fits the surface to the host panel, then a whole number of blocks.
    void ResizeEx();

    // Geometry of the last layout, pixels.
    int BlockHeight() const { return m_blockHeight; }
    int BlockWidth() const { return m_blockWidth; }
    int BlockCount() const { return m_blockCount; }
    int LastDrawn() const { return m_lastDrawn; }

private:
    void CalcBlocks();
    void DrawBlocks();

    // True while some bar's ResizeEx changes its surface's width; shared by all bars.
    static bool s_resizing;

    IProgressSurface* m_client = nullptr;
    IProgressSurface* m_host = nullptr;
    QString m_panelKey;
    bool m_textOnly = false;
    qint32 m_value = 0;
    qint32 m_min = 0;
    qint32 m_max = 100;
    quint32 m_foreColor = kSystemHighlight;
    quint32 m_backColor = kSystemButtonFace;

    int m_margin = 2;
    int m_gap = 3;
    int m_blockHeight = 0;
    int m_blockWidth = 0;
    int m_blockCount = 0;
    int m_lastDrawn = 0;
};
