// Contrast of what a widget painted, by the WCAG 2 formula: the relative luminance of each
// colour from its linearised sRGB channels, and the ratio (L1 + 0.05) / (L2 + 0.05) of the
// lighter to the darker. Body text needs 4.5:1.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <map>

namespace tavix::testing {

inline constexpr double kReadableContrast = 4.5;

inline double relativeLuminance(const QColor& colour) {
    auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

inline double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
