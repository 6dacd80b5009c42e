#include "ui/result_line_breaker.hpp"

#include <QtMath>

#include <algorithm>
#include <bit>
#include <cstring>

#include "ui/result_text.hpp"

namespace tavix::ui {

namespace {

// Qt's default tab stop, in pixels.
constexpr int kTabStopPixels = 80;

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

// Whether any of the eight bytes is a control byte (below the blank) or belongs to a
// multi-byte sequence: those take the slow path.
bool hasSpecialByte(std::uint64_t word) {
    const std::uint64_t belowBlank = (word - kOnes * 0x20) & ~word & kHighBits;
    return ((word & kHighBits) | belowBlank) != 0;
}

// The high bit of each byte that is a blank, exactly (no false positives).
std::uint64_t blankBits(std::uint64_t word) {
    const std::uint64_t y = word ^ (kOnes * 0x20);
    return ~(((y & kLowBits) + kLowBits) | y | kLowBits);
}

Width toWidth(qreal pixels) {
    return qRound64(pixels * kWidthUnit);
}

}  // namespace

LayoutFont LayoutFont::of(const QFont& font) {
    return {font.toString(), font.hintingPreference()};
}

QFont LayoutFont::toFont() const {
    QFont font;
    font.fromString(description);
    font.setHintingPreference(hinting);
    font.setKerning(false);
    return font;
}

CharWidths::CharWidths(const LayoutFont& font) : font_(font.toFont()), metrics_(font_) {
    byteTable_.fill(-1);
    Width narrowest = 0;
    for (int c = 0x20; c <= 0x7F; ++c) {
        const Width w = toWidth(metrics_.horizontalAdvance(QChar(c)));
        byteTable_[c] = static_cast<std::int32_t>(w);
        if (c > 0x20 && c < 0x7F && w > 0 && (narrowest == 0 || w < narrowest)) {
            narrowest = w;
        }
    }
    narrowest_ = std::max<Width>(narrowest, 1);
    tabStop_ = Width{kTabStopPixels} * kWidthUnit;
}

Width CharWidths::of(char32_t codePoint) {
    if (codePoint >= 0x20 && codePoint < 0x80) {
        return byteTable_[codePoint];
    }
    auto found = others_.find(codePoint);
    if (found != others_.end()) {
        return found->second;
    }
    const Width w = toWidth(metrics_.horizontalAdvance(QString::fromUcs4(&codePoint, 1)));
    others_.emplace(codePoint, w);
    return w;
}

LineSpan LineBreaker::line(std::size_t start) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
    const std::size_t size = text_.size();
    const std::array<std::int32_t, 256>& table = widths_.byteTable();
    const Width blank = table[' '];
    Width x = 0;
    std::size_t breakAt = start;  // after the last run of blanks; start means none yet
    std::size_t i = start;
    for (;;) {
        // Eight plain characters at a time while they surely fit. The sum is the widest any
        // prefix of them reaches, since no width is negative.
        while (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, sizeof word);
            if (hasSpecialByte(word)) {
                break;
            }
            const unsigned char* b = bytes + i;
            const Width sum = table[b[0]] + table[b[1]] + table[b[2]] + table[b[3]] + table[b[4]] +
                              table[b[5]] + table[b[6]] + table[b[7]];
            if (x + sum > lineWidth_) {
                break;
            }
            if (const std::uint64_t blanks = blankBits(word)) {
                breakAt = i + static_cast<std::size_t>(63 - std::countl_zero(blanks)) / 8 + 1;
            }
            x += sum;
            i += 8;
        }
        // One character at a time over the next eight bytes: the line may end among them.
        const std::size_t slowEnd = std::min(size, i + 8);
        while (i < slowEnd) {
            const unsigned char c = bytes[i];
            if (c == ' ') {
                // Blanks hang past the edge rather than break a line, up to a line's width
                // more: a run of blanks longer than that goes on on the next line.
                if (x > 2 * lineWidth_ && i > start) {
                    return {start, i, i, false};
                }
                x += blank;
                breakAt = ++i;
                continue;
            }
            Width w = table[c];
            int length = 1;
            if (w < 0) {
                if (c == '\n') {
                    return {start, i, i + 1, false};
                }
                if (c == '\r') {
                    return {start, i, i + 1 < size && bytes[i + 1] == '\n' ? i + 2 : i + 1, false};
                }
                if (c == '\t') {
                    x = (x / widths_.tabStop() + 1) * widths_.tabStop();
                    breakAt = ++i;
                    continue;
                }
                const Utf8Char decoded = decodeUtf8(text_, i);
                w = widths_.of(decoded.codePoint);
                length = decoded.length;
            }
            if (x + w > lineWidth_ && i > start) {
                if (breakAt > start) {
                    return {start, breakAt, breakAt, false};
                }
                return {start, i, i, false};  // a word wider than the line
            }
            x += w;
            i += length;
        }
        if (i >= size) {
            return {start, size, size, true};
        }
    }
}

Width LineBreaker::advance(Width x, std::size_t pos, int* length) const {
    const auto c = static_cast<unsigned char>(text_[pos]);
    *length = 1;
    if (c == '\t') {
        return (x / widths_.tabStop() + 1) * widths_.tabStop() - x;
    }
    const std::int32_t w = widths_.byteTable()[c];
    if (w >= 0) {
        return w;
    }
    const Utf8Char decoded = decodeUtf8(text_, pos);
    *length = decoded.length;
    return widths_.of(decoded.codePoint);
}

Width LineBreaker::xOf(const LineSpan& line, std::size_t pos) const {
    Width x = 0;
    std::size_t i = line.start;
    const std::size_t stop = std::min(pos, line.end);
    while (i < stop) {
        int length;
        x += advance(x, i, &length);
        i += length;
    }
    return x;
}

std::size_t LineBreaker::offsetAt(const LineSpan& line, Width x) const {
    const std::size_t stop = caretEnd(line);
    Width left = 0;
    std::size_t i = line.start;
    while (i < stop) {
        int length;
        const Width w = advance(left, i, &length);
        if (x < left + w / 2) {
            return i;
        }
        left += w;
        i += length;
    }
    return stop;
}

std::size_t LineBreaker::caretEnd(const LineSpan& line) const {
    if (line.last || line.end < line.next) {
        return line.end;
    }
    return std::max(line.start, previousCharBoundary(text_, line.next));
}

}  // namespace tavix::ui
