// Finding the lines of a wrapped text while its line index is still being built. Three ways,
// from the surest to the roughest:
//  - exact: from the nearest sample of the index, walking at most a sample's worth of lines
//    (or, past the last sample, at most kMaxWalkLines);
//  - provisional: where the index has not got to, lines wrapped on the spot from a nearby
//    blank, which may start elsewhere than the real lines do until the index gets there;
//  - guessed: a line number, or a place for one, from the bytes per line seen so far.
// It owns the index and starts it; the text and the widths belong to the caller and outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/result/model/char_widths.hpp"
#include "ui/result/model/line_breaker.hpp"
#include "ui/result/model/line_index.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {

class LineLocator {
  public:
    // Lines wrapped on the spot to answer a question the index has not reached yet.
    static constexpr std::int64_t kMaxWalkLines = 4096;

    // Starts indexing `text` at `lineWidth`; `progress` runs as LineIndex says.
    LineLocator(TextSource& text, CharWidths& widths, Width lineWidth,
                std::function<void()> progress);

    LineBreaker breaker() const { return LineBreaker(widths_, lineWidth_); }
    const LineIndex& index() const { return index_; }
    bool complete() const { return index_.complete(); }
    void wait() { index_.wait(); }
    // One more piece of an index that has no thread of its own (see LineIndex).
    void stepIndex() { index_.step(); }

    // Until the index is complete, an estimate.
    std::int64_t lineCount() const;

    // Exact: the number of the line holding `pos`, and the start of a line.
    std::optional<std::int64_t> exactLineOf(std::size_t pos) const;
    std::optional<std::size_t> exactLineStart(std::int64_t line) const;

    // Provisional: the starts of the lines wrapped from a blank near `from` up to `to`.
    std::vector<std::size_t> provisionalStarts(std::size_t from, std::size_t to) const;
    // The same, from far enough before `pos` for at least `lines` lines to end at `pos`.
    std::vector<std::size_t> provisionalStartsBefore(std::size_t pos, std::int64_t lines) const;
    // The start of the line holding `pos`, wrapped on the spot.
    std::size_t provisionalLineStart(std::size_t pos) const {
        return provisionalStarts(pos, pos).back();
    }
    // The last `rows` provisional lines that end at `pos`: the first one's start, and how
    // many lines the wrap made before it.
    struct Tail {
        std::size_t start;
        std::int64_t linesBefore;
    };
    Tail provisionalTail(std::size_t pos, int rows) const;
    // Whether provisionalStartsBefore(pos, lines) wraps from the very start of the text.
    bool reachesTextStart(std::size_t pos, std::int64_t lines) const {
        return pos <= reachFor(lines);
    }

    // Guessed: the line number at `pos`, and the place of `line`, beyond the last sample.
    std::int64_t lineGuess(std::size_t pos) const;
    std::size_t placeGuess(std::int64_t line) const;

  private:
    struct Sample {
        std::int64_t line;
        std::size_t start;
    };
    // The last line start the index has found.
    Sample lastSample() const;
    double bytesPerLine() const;
    std::size_t maxBytesPerLine() const;
    std::size_t reachFor(std::int64_t lines) const {
        return std::size_t(lines + 2) * maxBytesPerLine();
    }
    std::size_t guessLineStart(std::size_t pos) const;

    TextSource& text_;
    CharWidths& widths_;
    Width lineWidth_;
    LineIndex index_;
    // The first lines' bytes per line, the estimate until the index has two samples.
    double firstLinesBytesPerLine_ = 1;
};

}  // namespace tavix::ui
