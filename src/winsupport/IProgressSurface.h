#pragma once

#include <QString>
#include <QtGlobal>

// What the status-bar progress bar needs of the object it draws on (its client) and of
// the status bar whose panel shows the result (its host). One object may play both
// roles, as the status-bar panel widget does.
//
// All sizes and positions are pixels. Linux has no twips, so where the bar's arithmetic
// converts between twips and pixels the factor is 1.
//
// Colours are 32-bit OLE colours: a value with the high bit set names a system colour
// by index in its low byte (0x8000000D highlight, 0x8000000F button face); any other
// value is 0x00BBGGRR. The surface resolves them when it paints.
class IProgressSurface
{
public:
    virtual ~IProgressSurface() = default;

    // Drawing surface (client role).
    virtual int surfaceWidth() const = 0;
    virtual int surfaceHeight() const = 0;
    // The drawing area inside any border; without a border it equals the surface size.
    virtual int scaleWidth() const { return surfaceWidth(); }
    virtual int scaleHeight() const { return surfaceHeight(); }
    virtual void setSurfaceWidth(int width) = 0;
    virtual void setSurfaceHeight(int height) = 0;
    // Fills the whole surface with the colour.
    virtual void clearSurface(quint32 backColor) = 0;
    // Fills the rectangle whose corners are (left, top) and (right, bottom), both
    // corners included.
    virtual void fillRect(int left, int top, int right, int bottom, quint32 color) = 0;

    // Status bar (host role).
    // Width of the panel with that key, or -1 when the host has no such panel.
    virtual int panelWidth(const QString& panelKey) const = 0;
    virtual int hostHeight() const = 0;
    // Shows the finished image of `picture` (a client surface) in the panel and repaints;
    // nullptr removes the panel's picture so that its text shows.
    virtual void setPanelPicture(const QString& panelKey, const IProgressSurface* picture) = 0;
};
