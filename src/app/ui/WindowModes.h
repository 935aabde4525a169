#pragma once

#include <QSize>

class CFormBorder;
class MainToolbar;
class QMainWindow;
class QWidget;
struct WindowState;

// The main window's two modes, named by the "resize" button's image: full size (12) and
// compact (13). Compact shows only the stepping, browser, slideshow and mode buttons in
// a fixed 162 x 59 window without menus, list or status bar; full size comes back at
// the size the window had before, with the minimum it had at start-up.
class WindowModes final
{
public:
    static constexpr int kInitialWidth = 560;
    static constexpr int kInitialHeight = 420;
    static constexpr int kFullSizeImage = 12;
    static constexpr int kCompactImage = 13;

    WindowModes(QMainWindow& window, MainToolbar& toolbar, QWidget& list, CFormBorder& border,
        WindowState& state);

    int image() const { return m_image; }
    bool compact() const { return m_image == kCompactImage; }
    QSize savedFullSize() const { return m_savedFullSize; }
    // Full size <-> compact.
    void switchMode();

private:
    void toFullSize();
    void toCompact();
    void showOtherButtons(bool shown);

    QMainWindow& m_window;
    MainToolbar& m_toolbar;
    QWidget& m_list;
    CFormBorder& m_border;
    WindowState& m_state;
    int m_image = kFullSizeImage;
    QSize m_savedFullSize;
};
