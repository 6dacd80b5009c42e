// What the two windows share of their look: the layout unit, the font and the program icon.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>

namespace tavix::ui {

// Positions and sizes are given in twips, 1/1440 inch: 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

// A control's rectangle from its left, top, width and height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

// Arial of the given size, regular, upright; a sans-serif stands in where Arial is missing.
QFont arial(qreal points);

// The program icon, 100 x 100 pixels.
QPixmap programPixmap();
QIcon programIcon();

}  // namespace tavix::ui
