// What the two windows share of their look: the layout unit, the colours, the font and the
// program icon.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
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

// The windows keep their own light backgrounds on every desktop, so the texts drawn straight
// on them (labels, the factor columns and their rule, the about window's texts, links and
// separator) take fixed dark colours, readable whatever the desktop's palette. Boxes,
// buttons, the result area and message boxes follow the desktop's palette, selection
// included: their texts lie on the desktop's own colours.
inline constexpr QColor kFixedText{0, 0, 0};

// A window's palette: its background and the text on it fixed, every other role left to
// follow the desktop, now and when the desktop's palette changes.
QPalette fixedLook(const QColor& background);

// Arial of the given size, regular, upright; a sans-serif stands in where Arial is missing.
QFont arial(qreal points);

// The program icon, 100 x 100 pixels.
QPixmap programPixmap();
QIcon programIcon();

}  // namespace tavix::ui
