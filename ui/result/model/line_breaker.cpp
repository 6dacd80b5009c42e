#include "ui/result/model/line_breaker.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/utf8.hpp"

namespace tavix::ui {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7FULL;

// Whether any of the eight bytes is a control byte (below the blank), DEL, or belongs to a
// multi-byte sequence: those take the slow path.
bool hasSpecialByte(std::uint64_t word) {
    const std::uint64_t belowBlank = (word - kOnes * 0x20) & ~word & kHighBits;
    const std::uint64_t y = word ^ (kOnes * 0x7F);
    const std::uint64_t del = (y - kOnes) & ~y & kHighBits;
    return ((word & kHighBits) | belowBlank | del) != 0;
}

// The high bit of each byte that is a blank, exactly (no false positives).
std::uint64_t blankBits(std::uint64_t word) {
    const std::uint64_t y = word ^ (kOnes * 0x20);
    return ~(((y & kLowBits) + kLowBits) | y | kLowBits);
}

// Where a line being wrapped has got to: the next byte, its x, and the place after the last run
// of blanks (0: none yet).
struct WrapScan {
    std::size_t i = 0;
    Width x = 0;
    std::size_t breakAt = 0;
};

// Eight plain characters at a time while they surely fit. The sum is the widest any prefix of
// them reaches, since no width is negative.
inline void wrapPlainRun(const unsigned char* bytes, std::size_t size, std::size_t cap,
                         const std::array<std::int32_t, 256>& table, Width lineWidth,
                         WrapScan& scan) {
    while (size - scan.i >= 8 && scan.i + 8 <= cap) {
        std::uint64_t word;
        std::memcpy(&word, bytes + scan.i, sizeof word);
        if (hasSpecialByte(word)) {
            return;
        }
        const unsigned char* b = bytes + scan.i;
        const Width sum = table[b[0]] + table[b[1]] + table[b[2]] + table[b[3]] + table[b[4]] +
                          table[b[5]] + table[b[6]] + table[b[7]];
        if (scan.x + sum > lineWidth) {
            return;
        }
        if (const std::uint64_t blanks = blankBits(word)) {
            scan.breakAt = scan.i + static_cast<std::size_t>(63 - std::countl_zero(blanks)) / 8 + 1;
        }
        scan.x += sum;
        scan.i += 8;
    }
}

}  // namespace

LineSpan LineBreaker::line(TextSource& text, std::size_t start) const {
    // Every line ends within kMaxLineBytes, and a character takes at most four bytes more.
    const std::string_view view = text.from(start, kMaxLineBytes + 8);
    const auto* bytes = reinterpret_cast<const unsigned char*>(view.data());
    const std::size_t size = std::min(view.size(), kMaxLineBytes + 8);
    const bool textEnds = start + view.size() >= text.size();
    // Room for a last character of four bytes, or a CR LF, within kMaxLineBytes.
    const std::size_t cap = kMaxLineBytes - kMaxUtf8Length;
    const std::array<std::int32_t, 256>& table = widths_.byteTable();
    const Width blank = table[' '];
    const auto at = [start](std::size_t i) { return start + i; };
    WrapScan scan;
    std::size_t& i = scan.i;
    Width& x = scan.x;
    for (;;) {
        wrapPlainRun(bytes, size, cap, table, lineWidth_, scan);
        // One character at a time over the next eight bytes: the line may end among them.
        const std::size_t slowEnd = std::min(size, i + 8);
        while (i < slowEnd) {
            if (i >= cap) {
                return {start, at(i), at(i), false};  // narrow characters beyond any width
            }
            const unsigned char c = bytes[i];
            if (isBlank(static_cast<char>(c))) {
                // Blanks hang past the edge rather than break a line, up to a line's width
                // more: a run of blanks longer than that goes on on the next line.
                if (x > 2 * lineWidth_ && i > 0) {
                    return {start, at(i), at(i), false};
                }
                x = c == ' ' ? x + blank : (x / widths_.tabStop() + 1) * widths_.tabStop();
                scan.breakAt = ++i;
                continue;
            }
            Width w = table[c];
            int length = 1;
            if (w < 0) {
                if (c == '\n') {
                    return {start, at(i), at(i + 1), false};
                }
                if (c == '\r') {
                    const bool crlf = i + 1 < size && bytes[i + 1] == '\n';
                    return {start, at(i), at(crlf ? i + 2 : i + 1), false};
                }
                const Utf8Char decoded = decodeUtf8(view.substr(0, size), i);
                w = widths_.of(decoded.codePoint);
                length = decoded.length;
            }
            if (x + w > lineWidth_ && i > 0) {
                // After the last blanks, or within a word wider than the line.
                const std::size_t end = scan.breakAt > 0 ? scan.breakAt : i;
                return {start, at(end), at(end), false};
            }
            x += w;
            i += length;
        }
        if (i >= size && textEnds) {
            return {start, text.size(), text.size(), true};
        }
    }
}

LineText LineBreaker::lineText(TextSource& text, const LineSpan& line) const {
    return {line, text.span(line.start, line.next)};
}

Width LineBreaker::advance(const LineText& line, Width x, std::size_t pos, int* length) const {
    const std::size_t i = pos - line.span.start;
    const auto c = static_cast<unsigned char>(line.bytes[i]);
    *length = 1;
    if (c == '\t') {
        return (x / widths_.tabStop() + 1) * widths_.tabStop() - x;
    }
    const std::int32_t w = widths_.byteTable()[c];
    if (w >= 0) {
        return w;
    }
    const Utf8Char decoded = decodeUtf8(line.bytes, i);
    *length = decoded.length;
    return widths_.of(decoded.codePoint);
}

Width LineBreaker::xOf(const LineText& line, std::size_t pos) const {
    Width x = 0;
    std::size_t i = line.span.start;
    const std::size_t stop = std::min(pos, line.span.end);
    while (i < stop) {
        int length;
        x += advance(line, x, i, &length);
        i += length;
    }
    return x;
}

std::size_t LineBreaker::offsetAt(const LineText& line, Width x) const {
    const std::size_t stop = caretEnd(line);
    Width left = 0;
    std::size_t i = line.span.start;
    while (i < stop) {
        int length;
        const Width w = advance(line, left, i, &length);
        if (x < left + w / 2) {
            return i;
        }
        left += w;
        i += length;
    }
    return stop;
}

std::size_t LineBreaker::caretEnd(const LineText& line) const {
    const LineSpan& span = line.span;
    if (span.last || span.end < span.next) {
        return span.end;
    }
    // A wrapped line: before its last character.
    if (line.bytes.empty()) {
        return span.start;
    }
    return span.next - lastUtf8Length(line.bytes);
}

}  // namespace tavix::ui
