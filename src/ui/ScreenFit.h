#pragma once

#include "ui/ControlTable.h"

#include <QFont>
#include <QMargins>

class QStyle;
class QWidget;

namespace jk {

// A window built from its table, kept whole on the screen it opens on. Where the window as
// drawn (frame included) fits, it keeps its size and place; on a screen too small for it (a
// high scale factor on a small screen) everything in it, fonts included, is drawn smaller
// until it fits; and a window that sticks out of its screen, or lies off every screen, is moved
// onto it by as little as that takes.
class ScreenFit {
public:
    // After the window's own size and font are set and its controls are built.
    ScreenFit(QWidget& window, const controls::Window& table);

    // Scale and place for the screen at the window's position.
    void fit();

private:
    void scaleTo(double scale);
    QMargins frameMargins() const;

    QWidget& window_;
    const controls::Window& table_;
    const QFont design_;
    const bool fixedSize_;
    double scale_ = 1.0;
    QStyle* style_ = nullptr; // owned by the window; only while drawn smaller
};

} // namespace jk
