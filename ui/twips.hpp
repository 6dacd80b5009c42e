// Layout unit of the windows: twips, 1/1440 inch, 15 to a pixel at 96 dots per inch.
#pragma once

#include <QRect>

namespace tavix::ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

// A control's rectangle from its left, top, width and height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

}  // namespace tavix::ui
