#include "ui/result/font_widths.hpp"

#include <QFontMetricsF>
#include <QString>
#include <QtMath>

#include <array>

namespace tavix::ui {

namespace {

// Qt's default tab stop, in pixels.
constexpr int kTabStopPixels = 80;

Width toWidth(qreal pixels) {
    return qRound64(pixels * kWidthUnit);
}

}  // namespace

QFont layoutFontOf(const QFont& font) {
    QFont layout = font;
    layout.setKerning(false);
    return layout;
}

std::unique_ptr<CharWidths> charWidthsOf(const QFont& font) {
    const QFont layout = layoutFontOf(font);
    const QFontMetricsF metrics(layout);
    std::array<Width, 95> ascii{};
    for (int c = 0x20; c < 0x7F; ++c) {
        ascii[c - 0x20] = toWidth(metrics.horizontalAdvance(QChar(c)));
    }
    // A font may be used on any thread, but each thread needs its own copy: one is made for
    // each character, which every table of widths measures only once.
    const QString description = layout.toString();
    const QFont::HintingPreference hinting = layout.hintingPreference();
    auto measure = [description, hinting](char32_t codePoint) {
        QFont own;
        own.fromString(description);
        own.setHintingPreference(hinting);
        own.setKerning(false);
        return toWidth(QFontMetricsF(own).horizontalAdvance(QString::fromUcs4(&codePoint, 1)));
    };
    return std::make_unique<CharWidths>(ascii, measure, Width{kTabStopPixels} * kWidthUnit);
}

}  // namespace tavix::ui
