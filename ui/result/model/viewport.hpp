// The viewport of the result area, without a widget: the caret and the selection, and the
// lines with the scrolling over them. Given the text, the character widths, the width of a
// line and how many lines the view holds, it says which lines are in sight, where any line
// starts, and moves the view by lines, to a line, to the end, or to where a position shows.
//
// The line index is built on a thread of its own (see LineLocator); until it is complete, the
// line count is an estimate and a place the index has not reached is wrapped on the spot from
// a nearby blank. The top of the view is then in one of the states of TopState.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/result_text.hpp"
#include "ui/result/model/caret.hpp"
#include "ui/result/model/char_widths.hpp"
#include "ui/result/model/line_breaker.hpp"
#include "ui/result/model/line_index.hpp"
#include "ui/result/model/line_locator.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {

class Viewport {
  public:
    static constexpr std::int64_t kMaxWalkLines = LineLocator::kMaxWalkLines;

    enum class TopState {
        // The top line starts where the index says, and its number is exact.
        Exact,
        // The top line was wrapped on the spot where the index has not got to yet; its number
        // is a guess. It becomes exact when the index reaches it.
        Provisional,
        // As Provisional, at the end of the text: the view shows the real end once the index
        // is complete.
        FollowingEnd,
    };

    // `notice(generation)` runs on the layout thread when the index makes progress (or on the
    // owner's thread, when the index has no thread and waits for its next piece); the owner
    // answers soon after with indexProgressed(generation) on its own thread, from its event
    // loop, never from inside notice(). `moved` runs whenever the
    // top line or the line count may have changed.
    Viewport(std::function<void(std::uint64_t generation)> notice, std::function<void()> moved);
    ~Viewport();

    // A new text: the view goes back to the first line, the caret to the start, and the lines
    // are laid out again at the next setView().
    void setText(ResultTextPtr text);
    // New character widths: the lines are laid out again.
    void setWidths(std::unique_ptr<CharWidths> widths);
    // The room for the characters of a line, and how many lines fit in the view whole.
    // Lays the lines out again when the width changes, keeping the top line's text in sight.
    void setView(Width lineWidth, int rows);
    void indexProgressed(std::uint64_t generation);

    Caret& caret() { return caret_; }
    const Caret& caret() const { return caret_; }

    TextSource& text() { return *source_; }
    std::size_t size() const { return source_->size(); }
    CharWidths& widths() { return *widths_; }
    LineBreaker breaker() const { return LineBreaker(*widths_, lineWidth_); }
    bool laidOut() const { return lines_ != nullptr; }
    bool complete() const { return lines_ && lines_->complete(); }
    // Waits for the index and takes in what it found.
    void waitForIndex();
    std::size_t indexMemoryUse() const { return lines_ ? lines_->index().memoryUse() : 0; }

    Width lineWidth() const { return lineWidth_; }
    int rows() const { return rows_; }
    // Until the index is complete, an estimate.
    std::int64_t lineCount() const;
    std::int64_t maxTopLine() const;
    // The line at the top of the view, its start, and whether its number is exact.
    std::int64_t topLine() const { return topLine_; }
    std::size_t top() const { return top_; }
    TopState topState() const { return state_; }
    bool topExact() const { return state_ == TopState::Exact; }

    // Whether the text wraps into at most `rows` lines of `lineWidth`.
    bool fits(Width lineWidth, int rows);
    // Up to `count` lines from the one that starts at `start`.
    std::vector<LineSpan> linesFrom(std::size_t start, int count);
    // The lines in sight from the top: `count` of them, or fewer at the end.
    std::vector<LineSpan> visibleLines(int count) { return linesFrom(top_, count); }
    // The line holding `pos`, waiting for the index if need be.
    LineSpan lineHolding(std::size_t pos);

    void scrollToLine(std::int64_t line);
    // Returns how many lines the view moved (negative: up).
    std::int64_t scrollLines(std::int64_t delta);
    void scrollToEnd();
    // Scrolls as little as needed for the line holding `pos` to be in sight.
    void ensureVisible(std::size_t pos);

  private:
    void restartIndex();
    // Puts line `line` starting at `start` at the top. A provisional top at the start of the
    // text is exact.
    void setTop(std::size_t start, std::int64_t line, TopState state);
    void setTopExact(std::size_t start, std::int64_t line) { setTop(start, line, TopState::Exact); }
    void showLineHolding(std::size_t pos);
    std::int64_t scrollDown(std::int64_t delta);
    std::int64_t scrollUp(std::int64_t up);
    // Walks down from the top to `pos`: false when it is further than the walk goes.
    bool walkDownTo(std::size_t pos);

    std::function<void(std::uint64_t)> notice_;
    std::function<void()> moved_;
    std::unique_ptr<TextSource> source_;
    std::unique_ptr<CharWidths> widths_;
    Width lineWidth_ = -1;  // -1: not laid out yet
    int rows_ = 1;
    std::unique_ptr<LineLocator> lines_;
    std::uint64_t generation_ = 0;

    Caret caret_;

    std::size_t top_ = 0;
    std::int64_t topLine_ = 0;
    TopState state_ = TopState::Exact;
};

}  // namespace tavix::ui
