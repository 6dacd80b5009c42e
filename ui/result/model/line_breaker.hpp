// Word wrapping of a UTF-8 text at a fixed width, one line at a time, straight from the bytes.
#pragma once

#include <cstddef>
#include <string_view>

#include "ui/result/model/char_widths.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {

// One line of the wrapped text, as byte offsets.
struct LineSpan {
    std::size_t start = 0;
    std::size_t end = 0;   // after the line's characters: before its line break, if any
    std::size_t next = 0;  // where the following line starts
    bool last = true;      // the text's last line; its end and next are the text's size

    // Whether the caret at `pos` shows on this line.
    bool holds(std::size_t pos) const { return pos >= start && (pos < next || last); }
    bool operator==(const LineSpan&) const = default;
};

// A line with its bytes [start, next), for measuring within it.
struct LineText {
    LineSpan span;
    std::string_view bytes;

    // The line's characters, without its line break.
    std::string_view characters() const { return bytes.substr(0, span.end - span.start); }
};

// Greedy word wrap like a word-wrapping text box: a line takes words while they fit, breaks
// after a run of blanks (which may hang past the edge, up to a line's width more), and breaks
// a word that is wider than the line between characters. Line feeds, carriage returns and
// CR LF end a line. A line holds at most kMaxLineBytes bytes, however narrow its characters:
// that bounds what any line lookup reads.
class LineBreaker {
  public:
    static constexpr std::size_t kMaxLineBytes = 16 * 1024;

    LineBreaker(CharWidths& widths, Width lineWidth) : widths_(widths), lineWidth_(lineWidth) {}

    Width lineWidth() const { return lineWidth_; }
    CharWidths& widths() const { return widths_; }

    // The line that starts at `start`.
    LineSpan line(TextSource& text, std::size_t start) const;
    // The same, with its bytes (valid until the next call on `text`).
    LineText lineText(TextSource& text, const LineSpan& line) const;

    // The x position of `pos` (a character boundary on the line) from the line's start.
    Width xOf(const LineText& line, std::size_t pos) const;
    // The caret position on the line nearest to x.
    std::size_t offsetAt(const LineText& line, Width x) const;
    // The last caret position on the line: before its line break, before its last character
    // when it wraps, the text's end on the last line.
    std::size_t caretEnd(const LineText& line) const;
    // The advance of the character at `pos` of the line, drawn at x; sets its byte length.
    Width advance(const LineText& line, Width x, std::size_t pos, int* length) const;

  private:
    CharWidths& widths_;
    Width lineWidth_;
};

}  // namespace tavix::ui
