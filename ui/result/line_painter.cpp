#include "ui/result/line_painter.hpp"

#include <QString>

#include <algorithm>
#include <cmath>

namespace tavix::ui {

namespace {

QString fromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

void LinePainter::drawPiece(const LineText& line, std::size_t from, std::size_t to, qreal baseline,
                            const QColor& color) {
    if (from >= to) {
        return;
    }
    painter_.setPen(color);
    const std::size_t base = line.span.start;
    Width x = breaker_.xOf(line, from);
    std::size_t runStart = from;
    Width runX = x;
    for (std::size_t i = from; i < to;) {
        int length;
        const Width w = breaker_.advance(line, x, i, &length);
        if (line.bytes[i - base] == '\t') {
            painter_.drawText(QPointF(px(runX), baseline),
                              fromUtf8(line.bytes.substr(runStart - base, i - runStart)));
            runStart = i + 1;
            runX = x + w;
        }
        x += w;
        i += length;
    }
    painter_.drawText(QPointF(px(runX), baseline),
                      fromUtf8(line.bytes.substr(runStart - base, to - runStart)));
}

void LinePainter::paint(const LineText& line, int y, std::size_t selectedFrom,
                        std::size_t selectedTo, std::optional<std::size_t> caret) {
    const LineSpan& span = line.span;
    const qreal baseline = y + style_.ascent;
    const std::size_t from = std::clamp(selectedFrom, span.start, span.end);
    const std::size_t to = std::clamp(selectedTo, span.start, span.end);
    // A selection that goes on past the line's end shows one blank more.
    const bool goesOn = selectedFrom <= span.end && selectedTo > span.end && !span.last;
    if (from < to || goesOn) {
        const qreal left = px(breaker_.xOf(line, from));
        const Width right = breaker_.xOf(line, to) + (goesOn ? style_.blankWidth : 0);
        painter_.fillRect(QRectF(left, y, px(right) - left, style_.lineHeight),
                          colors_.brush(QPalette::Highlight));
    }
    drawPiece(line, span.start, from, baseline, colors_.color(QPalette::Text));
    drawPiece(line, from, to, baseline, colors_.color(QPalette::HighlightedText));
    drawPiece(line, to, span.end, baseline, colors_.color(QPalette::Text));
    if (caret && span.holds(*caret)) {
        const qreal ratio = style_.ratio;
        const qreal x = std::round(px(breaker_.xOf(line, *caret)) * ratio) / ratio;
        painter_.fillRect(QRectF(x, y, 1 / ratio, style_.lineHeight),
                          colors_.brush(QPalette::Text));
    }
}

}  // namespace tavix::ui
