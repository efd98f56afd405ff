#pragma once

#include <QRect>
#include <QWidget>

#include "ui/ControlTable.h"

#include <cmath>

namespace jk {

using controls::TwipsPerPixel;

inline constexpr int twipsToPixels(int twips) {
    return twips / TwipsPerPixel;
}

// Stored window positions are single-precision twips and may be anything a hand edit left
// there. Far off the screen is kept, but within what desktop coordinates can hold (X11 has
// 16 bits for them).
inline constexpr int FarthestPixel = 30000;

inline int twipsToPixels(float twips) {
    if (!std::isfinite(twips))
        return 0;
    const float pixels = twips / TwipsPerPixel;
    constexpr auto Limit = static_cast<float>(FarthestPixel);
    return static_cast<int>(std::fmax(-Limit, std::fmin(Limit, pixels)));
}

inline float pixelsToTwips(int pixels) {
    return static_cast<float>(pixels * TwipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline void place(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(twipsRect(left, top, width, height));
}

} // namespace jk
