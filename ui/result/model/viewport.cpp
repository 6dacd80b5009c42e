#include "ui/result/model/viewport.hpp"

#include <algorithm>
#include <cmath>
#include <deque>

namespace tavix::ui {

namespace {

// Until a font's widths come, every character is 8 pixels wide.
std::unique_ptr<CharWidths> plainWidths() {
    std::array<Width, 95> ascii;
    ascii.fill(8 * kWidthUnit);
    return std::make_unique<CharWidths>(
        ascii, [](char32_t) { return 8 * kWidthUnit; }, 80 * kWidthUnit);
}

}  // namespace

Viewport::Viewport(std::function<void(std::uint64_t)> notice, std::function<void()> moved)
    : notice_(std::move(notice)),
      moved_(std::move(moved)),
      source_(std::make_unique<TextSource>(nullptr)),
      widths_(plainWidths()) {}

Viewport::~Viewport() {
    lines_.reset();  // stops the layout thread before anything it reads goes away
}

void Viewport::setText(ResultTextPtr text) {
    // The one step that may fail comes before anything changes.
    auto source = std::make_unique<TextSource>(std::move(text));
    lines_.reset();
    source_ = std::move(source);
    caret_ = Caret();
    top_ = 0;
    topLine_ = 0;
    state_ = TopState::Exact;
    lineWidth_ = -1;
}

void Viewport::setWidths(std::unique_ptr<CharWidths> widths) {
    lines_.reset();
    widths_ = std::move(widths);
    if (lineWidth_ >= 0) {
        restartIndex();
    }
}

void Viewport::setView(Width lineWidth, int rows) {
    rows_ = std::max(1, rows);
    if (!lines_ || lineWidth != lineWidth_) {
        lineWidth_ = lineWidth;
        restartIndex();
    } else if (state_ == TopState::FollowingEnd) {
        scrollToEnd();
    } else if (lines_->complete() && topLine_ > maxTopLine()) {
        scrollToLine(maxTopLine());
    }
    moved_();
}

void Viewport::restartIndex() {
    const std::size_t anchor = top_;
    lines_.reset();
    const std::uint64_t generation = ++generation_;
    lines_ = std::make_unique<LineLocator>(*source_, *widths_, lineWidth_,
                                           [this, generation] { notice_(generation); });
    if (state_ == TopState::FollowingEnd) {
        scrollToEnd();
    } else if (anchor == 0) {
        setTopExact(0, 0);
    } else {
        showLineHolding(anchor);
    }
}

void Viewport::indexProgressed(std::uint64_t generation) {
    if (generation != generation_ || !lines_) {
        return;
    }
    // Without a thread for the index, each notice asks for the next piece of it.
    lines_->stepIndex();
    if (state_ == TopState::FollowingEnd) {
        if (lines_->complete()) {
            scrollToEnd();
        }
    } else if (state_ == TopState::Provisional) {
        if (const auto line = lines_->exactLineOf(top_)) {
            setTopExact(*lines_->exactLineStart(*line), *line);
        }
    }
    moved_();
}

void Viewport::waitForIndex() {
    if (lines_) {
        lines_->wait();
        indexProgressed(generation_);
    }
}

// ---- Lines ---------------------------------------------------------------------------------

bool Viewport::fits(Width lineWidth, int rows) {
    const LineBreaker lines(*widths_, lineWidth);
    std::size_t pos = 0;
    for (int row = 0; row < rows; ++row) {
        const LineSpan line = lines.line(*source_, pos);
        if (line.last) {
            return true;
        }
        pos = line.next;
    }
    return false;
}

std::vector<LineSpan> Viewport::linesFrom(std::size_t start, int count) {
    std::vector<LineSpan> lines;
    if (!lines_) {
        return lines;
    }
    const LineBreaker wrap = breaker();
    for (int i = 0; i < count; ++i) {
        lines.push_back(wrap.line(*source_, start));
        if (lines.back().last) {
            break;
        }
        start = lines.back().next;
    }
    return lines;
}

std::int64_t Viewport::lineCount() const {
    return lines_ ? lines_->lineCount() : 0;
}

std::int64_t Viewport::maxTopLine() const {
    return std::max<std::int64_t>(0, lineCount() - rows_);
}

LineSpan Viewport::lineHolding(std::size_t pos) {
    if (!lines_) {
        return {0, size(), size(), true};
    }
    for (const LineSpan& line : linesFrom(top_, rows_)) {
        if (line.holds(pos)) {
            return line;
        }
    }
    auto line = lines_->exactLineOf(pos);
    if (!line) {
        waitForIndex();
        line = lines_->exactLineOf(pos);
    }
    const LineBreaker wrap = breaker();
    if (line) {
        if (const auto start = lines_->exactLineStart(*line)) {
            return wrap.line(*source_, *start);
        }
    }
    // No index to be had: the line as wrapped from a nearby blank.
    return wrap.line(*source_, lines_->provisionalLineStart(pos));
}

// ---- Scrolling -----------------------------------------------------------------------------

void Viewport::setTop(std::size_t start, std::int64_t line, TopState state) {
    if (state != TopState::Exact && start == 0) {
        state = TopState::Exact;
        line = 0;
    }
    top_ = start;
    topLine_ = std::max<std::int64_t>(0, line);
    state_ = state;
    moved_();
}

void Viewport::showLineHolding(std::size_t pos) {
    if (const auto line = lines_->exactLineOf(pos)) {
        setTopExact(*lines_->exactLineStart(*line), *line);
        return;
    }
    const std::size_t start = lines_->provisionalLineStart(pos);
    setTop(start, lines_->lineGuess(start), TopState::Provisional);
}

void Viewport::scrollToLine(std::int64_t line) {
    if (!lines_) {
        return;
    }
    line = std::clamp<std::int64_t>(line, 0, maxTopLine());
    if (std::abs(line - topLine_) <= kMaxWalkLines) {
        scrollLines(line - topLine_);
        return;
    }
    if (!lines_->complete() && line >= maxTopLine()) {
        scrollToEnd();
        return;
    }
    if (const auto start = lines_->exactLineStart(line)) {
        setTopExact(*start, line);
        return;
    }
    // Beyond the index: wrap provisionally from near where that line should be.
    setTop(lines_->provisionalLineStart(lines_->placeGuess(line)), line, TopState::Provisional);
}

std::int64_t Viewport::scrollLines(std::int64_t delta) {
    if (!lines_ || delta == 0) {
        return 0;
    }
    return delta > 0 ? scrollDown(delta) : scrollUp(-delta);
}

std::int64_t Viewport::scrollDown(std::int64_t delta) {
    // Walk down from the top, never so far that the last line leaves the bottom edge.
    const LineBreaker lines = breaker();
    std::vector<std::size_t> starts{top_};
    for (std::int64_t i = 0; i < delta + rows_ - 1; ++i) {
        const LineSpan span = lines.line(*source_, starts.back());
        if (span.last) {
            break;
        }
        starts.push_back(span.next);
    }
    const auto walked = std::int64_t(starts.size());
    const std::int64_t step =
        std::min<std::int64_t>(delta, walked - std::min<std::int64_t>(rows_, walked));
    if (step <= 0) {
        return 0;
    }
    setTop(starts[step], topLine_ + step,
           state_ == TopState::Exact ? TopState::Exact : TopState::Provisional);
    return step;
}

std::int64_t Viewport::scrollUp(std::int64_t up) {
    if (state_ == TopState::Exact) {
        if (topLine_ == 0) {
            return 0;
        }
        const std::int64_t line = std::max<std::int64_t>(0, topLine_ - up);
        if (const auto start = lines_->exactLineStart(line)) {
            const std::int64_t moved = line - topLine_;
            setTopExact(*start, line);
            return moved;
        }
    }
    // Wrap provisionally from far enough above.
    const std::vector<std::size_t> starts = lines_->provisionalStartsBefore(top_, up);
    const std::int64_t here = std::int64_t(starts.size()) - 1;
    const std::int64_t target = std::max<std::int64_t>(0, here - up);
    setTop(starts[target], topLine_ - (here - target), TopState::Provisional);
    return target - here;
}

void Viewport::scrollToEnd() {
    if (!lines_) {
        return;
    }
    if (lines_->complete()) {
        const std::int64_t line = std::max<std::int64_t>(0, lines_->lineCount() - rows_);
        setTopExact(*lines_->exactLineStart(line), line);
        return;
    }
    // The index has not got there yet: wrap the end provisionally, and show the real end
    // when the index is complete.
    const std::size_t end = size();
    const LineLocator::Tail tail = lines_->provisionalTail(end, rows_);
    if (lines_->reachesTextStart(end, rows_)) {
        setTopExact(tail.start, tail.linesBefore);  // wrapped from the very start
        return;
    }
    setTop(tail.start, maxTopLine(), TopState::FollowingEnd);
}

bool Viewport::walkDownTo(std::size_t pos) {
    const LineBreaker lines = breaker();
    std::deque<std::size_t> window;  // the last `rows_` line starts walked
    std::size_t start = top_;
    for (std::int64_t walked = 0; walked <= kMaxWalkLines; ++walked) {
        const LineSpan span = lines.line(*source_, start);
        window.push_back(start);
        if (std::int64_t(window.size()) > rows_) {
            window.pop_front();
        }
        if (span.holds(pos)) {
            const std::int64_t step = walked - (std::int64_t(window.size()) - 1);
            if (step > 0) {
                setTop(window.front(), topLine_ + step, state_);
            }
            return true;
        }
        if (span.last) {
            return false;
        }
        start = span.next;
    }
    return false;
}

void Viewport::ensureVisible(std::size_t pos) {
    if (!lines_) {
        return;
    }
    if (pos < top_) {
        showLineHolding(pos);
        return;
    }
    if (walkDownTo(pos)) {
        return;
    }
    if (pos >= size()) {
        scrollToEnd();
        return;
    }
    if (const auto line = lines_->exactLineOf(pos)) {
        scrollToLine(*line - rows_ + 1);
        return;
    }
    const LineLocator::Tail tail = lines_->provisionalTail(pos, rows_);
    setTop(tail.start, lines_->lineGuess(tail.start), TopState::Provisional);
}

}  // namespace tavix::ui
