// What a widget painted, measured for contrast with the program's own WCAG formula
// (tavix::ui::contrastRatio, checked against published values in the palette test).
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <map>

#include "ui/window_look.hpp"

namespace tavix::testing {

using ui::contrastRatio;
using ui::kReadableContrast;

// The colour most pixels of `area` have: what text in it lies on.
inline QColor commonestColour(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    return most == counts.end() ? QColor() : QColor::fromRgb(most->first);
}

// The strongest contrast between any pixel of `area` and `ground`: for an area holding text
// on that ground, the contrast of the text's full-strength strokes.
inline double strongestContrast(const QImage& image, const QRect& area, const QColor& ground) {
    double strongest = 1.0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            strongest = std::max(strongest, contrastRatio(image.pixelColor(x, y), ground));
        }
    }
    return strongest;
}

}  // namespace tavix::testing
