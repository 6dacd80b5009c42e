// Paints the lines of the result area: the characters in runs between tabs, the selection
// behind them and the caret, one device pixel wide on a device pixel at any scale.
#pragma once

#include <QPainter>
#include <QPalette>

#include <cstddef>
#include <optional>

#include "ui/result/model/line_breaker.hpp"

namespace tavix::ui {

struct LinePaintStyle {
    // Room between the frame and the text.
    int margin;
    int lineHeight;
    int ascent;
    // Device pixels per pixel.
    qreal ratio;
    // The width of the blank a selection shows past a line's end.
    Width blankWidth;
};

class LinePainter {
  public:
    LinePainter(QPainter& painter, const LineBreaker& breaker, const QPalette& colors,
                const LinePaintStyle& style)
        : painter_(painter), breaker_(breaker), colors_(colors), style_(style) {}

    // Paints `line` with its top at `y`, the selection [selectedFrom, selectedTo) and the
    // caret, if any.
    void paint(const LineText& line, int y, std::size_t selectedFrom, std::size_t selectedTo,
               std::optional<std::size_t> caret);

  private:
    qreal px(Width x) const { return qreal(style_.margin) + qreal(x) / kWidthUnit; }
    // Draws the characters [from, to) of a line in runs between tabs.
    void drawPiece(const LineText& line, std::size_t from, std::size_t to, qreal baseline,
                   const QColor& color);

    QPainter& painter_;
    const LineBreaker& breaker_;
    const QPalette& colors_;
    LinePaintStyle style_;
};

}  // namespace tavix::ui
