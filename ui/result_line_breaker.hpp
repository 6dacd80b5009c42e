// Word wrapping of a UTF-8 text at a fixed width, one line at a time, straight from the bytes.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace tavix::ui {

// Widths are kept in 1/64 pixel, the fixed point in which Qt places glyphs, so that sums of
// character widths are exact and a line measures the same on every thread.
using Width = std::int64_t;
inline constexpr Width kWidthUnit = 64;

// The font a result is laid out and painted with: the widget's font without kerning, so that
// a line is exactly as wide as the sum of its characters' advances. Kept as a description
// because every thread must build a QFont of its own from it.
struct LayoutFont {
    QString description;
    QFont::HintingPreference hinting = QFont::PreferDefaultHinting;

    static LayoutFont of(const QFont& font);
    QFont toFont() const;
    bool operator==(const LayoutFont&) const = default;
};

// Advance widths of characters. Printable ASCII comes from a table; other characters are
// measured once and remembered. Not thread-safe: each thread uses an object of its own.
class CharWidths {
  public:
    explicit CharWidths(const LayoutFont& font);
    CharWidths(const CharWidths&) = delete;
    CharWidths& operator=(const CharWidths&) = delete;

    // Width of each byte that is a character by itself (the blank and everything above it in
    // ASCII); -1 for control bytes and the bytes of multi-byte sequences.
    const std::array<std::int32_t, 256>& byteTable() const { return byteTable_; }
    Width of(char32_t codePoint);
    Width tabStop() const { return tabStop_; }
    // The narrowest printable ASCII character, which bounds how many bytes fit in a line.
    Width narrowest() const { return narrowest_; }

    const QFont& font() const { return font_; }

  private:
    QFont font_;
    QFontMetricsF metrics_;
    std::array<std::int32_t, 256> byteTable_{};
    std::unordered_map<char32_t, Width> others_;
    Width tabStop_ = 0;
    Width narrowest_ = 1;
};

// One line of the wrapped text, as byte offsets.
struct LineSpan {
    std::size_t start = 0;
    std::size_t end = 0;   // after the line's characters: before its line break, if any
    std::size_t next = 0;  // where the following line starts
    bool last = true;      // the text's last line; its end and next are the text's size

    // Whether the caret at `pos` shows on this line.
    bool holds(std::size_t pos) const { return pos >= start && (pos < next || last); }
};

// Greedy word wrap like a word-wrapping text box: a line takes words while they fit, breaks
// after a run of blanks (which may hang past the edge), and breaks a word that is wider than
// the line between characters. Line feeds, carriage returns and CR LF end a line. A line that
// starts a text, or follows a line break, is a line start; so is each `next` of a line start.
class LineBreaker {
  public:
    LineBreaker(std::string_view text, CharWidths& widths, Width lineWidth)
        : text_(text), widths_(widths), lineWidth_(lineWidth) {}

    std::string_view text() const { return text_; }
    Width lineWidth() const { return lineWidth_; }

    // The line that starts at `start`.
    LineSpan line(std::size_t start) const;

    // The x position of `pos` (a character boundary on the line) from the line's start.
    Width xOf(const LineSpan& line, std::size_t pos) const;
    // The caret position on `line` nearest to x.
    std::size_t offsetAt(const LineSpan& line, Width x) const;
    // The last caret position on the line: before its line break, before its last character
    // when it wraps, the text's end on the last line.
    std::size_t caretEnd(const LineSpan& line) const;
    // The advance of the character at `pos`, drawn at x on its line; sets its byte length.
    Width advance(Width x, std::size_t pos, int* length) const;

  private:
    std::string_view text_;
    CharWidths& widths_;
    Width lineWidth_;
};

}  // namespace tavix::ui
