// What the two windows share of their look: the layout unit, the colours, the font and the
// program icon.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QRect>

class QPainter;
class QWidget;

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

// Texts need 4.5:1 against what lies under them to be read with ease (WCAG).
inline constexpr double kReadableContrast = 4.5;

// A focus mark must stand out 3:1 from what lies around it (WCAG, non-text contrast).
inline constexpr double kFocusMarkContrast = 3.0;

// The colour of a focus mark drawn on `palette`'s window ground: the desktop's highlight
// where it stands out kFocusMarkContrast from that ground, the window's text colour otherwise.
QColor focusMarkColour(const QPalette& palette);

// Draws a focus mark, a solid frame two pixels wide, just inside `area`.
void drawFocusMark(QPainter& painter, const QRect& area, const QPalette& palette);

// How far outside a control its focus mark lies: a pixel of the window's ground, then the
// mark, two pixels wide.
inline constexpr int kFocusMarkMargin = 3;

// Marks whichever control of `window` has the keyboard focus with a focus mark drawn round it
// on the window's own ground, whatever the style draws or leaves out. The mark lies above the
// controls, takes no mouse event, and is made once the window's controls are.
void showFocusMarks(QWidget* window);

// The contrast of two colours by the WCAG formula, from 1 (alike) to 21 (black and white).
double contrastRatio(const QColor& a, const QColor& b);

// `ground`, darkened (under a light `text`) or lightened (under a dark one) just enough for
// `text` to read on it at kReadableContrast, keeping its hue; unchanged when it reads already.
QColor readableGround(const QColor& ground, const QColor& text);

// A window's palette: its background and the text on it fixed; every other role taken from
// the desktop's palette `desktop`, with the grounds of the boxes', buttons' and selection's
// texts mended where the desktop's own pairs fall short of kReadableContrast. Give it the
// desktop's palette again when that changes.
QPalette fixedLook(const QColor& background, const QPalette& desktop);

// Gives the top-level `window` its fixed look on `background` now, and again whenever the
// desktop's palette changes (a dark theme switched on while the program runs).
void keepFixedLook(QWidget* window, const QColor& background);

// Arial of the given size, regular, upright; a sans-serif stands in where Arial is missing.
QFont arial(qreal points);

// The program icon, 100 x 100 pixels; on a high-density screen (`devicePixelRatio` above 1),
// drawn from its larger renders with as many device pixels as the screen has for it.
QPixmap programPixmap(qreal devicePixelRatio = 1);
// The program icon at every size it is rendered at.
QIcon programIcon();

}  // namespace tavix::ui
