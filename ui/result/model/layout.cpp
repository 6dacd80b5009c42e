#include "ui/result/model/layout.hpp"

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

ResultLayout::ResultLayout(std::function<void(std::uint64_t)> notice, std::function<void()> moved)
    : notice_(std::move(notice)),
      moved_(std::move(moved)),
      source_(std::make_unique<TextSource>(nullptr)),
      widths_(plainWidths()) {}

ResultLayout::~ResultLayout() {
    index_.reset();  // stops the layout thread before anything it reads goes away
}

void ResultLayout::setText(ResultTextPtr text) {
    // The one step that may fail comes before anything changes.
    auto source = std::make_unique<TextSource>(std::move(text));
    index_.reset();
    source_ = std::move(source);
    top_ = 0;
    topLine_ = 0;
    topExact_ = true;
    followEnd_ = false;
    lineWidth_ = -1;
}

void ResultLayout::setWidths(std::unique_ptr<CharWidths> widths) {
    index_.reset();
    widths_ = std::move(widths);
    if (lineWidth_ >= 0) {
        restartIndex();
    }
}

void ResultLayout::setView(Width lineWidth, int rows) {
    rows_ = std::max(1, rows);
    if (!index_ || lineWidth != lineWidth_) {
        lineWidth_ = lineWidth;
        restartIndex();
    } else if (followEnd_) {
        scrollToEnd();
    } else if (index_->complete() && topLine_ > maxTopLine()) {
        scrollToLine(maxTopLine());
    }
    moved_();
}

void ResultLayout::restartIndex() {
    const std::size_t anchor = top_;
    index_.reset();
    const std::uint64_t generation = ++generation_;
    index_ = std::make_unique<LineIndex>(source_->shared(), *widths_, lineWidth_,
                                         [this, generation] { notice_(generation); });
    // The first lines give the line count estimate until the index is complete.
    std::size_t pos = 0;
    int lines = 0;
    const LineBreaker wrap = breaker();
    for (; lines < 256; ++lines) {
        const LineSpan line = wrap.line(*source_, pos);
        if (line.last) {
            break;
        }
        pos = line.next;
    }
    firstLinesBytesPerLine_ = lines > 0 ? std::max(1.0, double(pos) / lines) : 1.0;
    if (followEnd_) {
        scrollToEnd();
    } else if (anchor == 0) {
        setTopExact(0, 0);
    } else {
        showLineHolding(anchor);
    }
}

void ResultLayout::indexProgressed(std::uint64_t generation) {
    if (generation != generation_ || !index_) {
        return;
    }
    if (!topExact_) {
        if (followEnd_) {
            if (index_->complete()) {
                scrollToEnd();
            }
        } else if (const auto line = exactLineOf(top_)) {
            setTopExact(*exactLineStart(*line), *line);
        }
    }
    moved_();
}

void ResultLayout::waitForIndex() {
    if (index_) {
        index_->wait();
        indexProgressed(generation_);
    }
}

// ---- Line lookup ---------------------------------------------------------------------------

bool ResultLayout::fits(Width lineWidth, int rows) {
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

std::vector<LineSpan> ResultLayout::linesFrom(std::size_t start, int count) {
    std::vector<LineSpan> lines;
    if (!index_) {
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

double ResultLayout::bytesPerLine() const {
    const std::int64_t samples = index_ ? index_->sampleCount() : 0;
    if (samples > 1) {
        return std::max(1.0, double(index_->sample(samples - 1)) /
                                 double((samples - 1) * LineIndex::kLinesPerSample));
    }
    return firstLinesBytesPerLine_;
}

std::size_t ResultLayout::maxBytesPerLine() const {
    // Four bytes for the widest UTF-8 character of the narrowest width.
    const Width perLine = lineWidth_ / widths_->narrowest() + 2;
    return static_cast<std::size_t>(
        std::min<Width>(4 * perLine, Width{LineBreaker::kMaxLineBytes}));
}

std::int64_t ResultLayout::lineCount() const {
    if (!index_) {
        return 0;
    }
    if (index_->complete()) {
        return index_->lineCount();
    }
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    return lastLine + 1 + static_cast<std::int64_t>(double(size() - lastStart) / bytesPerLine());
}

std::int64_t ResultLayout::maxTopLine() const {
    return std::max<std::int64_t>(0, lineCount() - rows_);
}

std::optional<std::int64_t> ResultLayout::exactLineOf(std::size_t pos) {
    if (!index_) {
        return std::nullopt;
    }
    const std::int64_t samples = index_->sampleCount();
    std::int64_t low = 0;
    std::int64_t high = samples;
    while (high - low > 1) {
        const std::int64_t middle = low + (high - low) / 2;
        if (index_->sample(middle) <= pos) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const bool bounded = low + 1 < samples || index_->complete();
    const std::int64_t maxSteps = bounded ? LineIndex::kLinesPerSample : kMaxWalkLines;
    const LineBreaker lines = breaker();
    std::size_t start = index_->sample(low);
    std::int64_t line = low * LineIndex::kLinesPerSample;
    for (std::int64_t step = 0;; ++step) {
        const LineSpan span = lines.line(*source_, start);
        if (span.holds(pos)) {
            return line;
        }
        if (span.last || step >= maxSteps) {
            return std::nullopt;
        }
        start = span.next;
        ++line;
    }
}

std::optional<std::size_t> ResultLayout::exactLineStart(std::int64_t line) {
    if (!index_ || line < 0) {
        return std::nullopt;
    }
    const bool complete = index_->complete();
    if (complete) {
        line = std::min(line, index_->lineCount() - 1);
    }
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t sample = std::min(line / LineIndex::kLinesPerSample, samples - 1);
    const std::int64_t steps = line - sample * LineIndex::kLinesPerSample;
    if (!complete && sample == samples - 1 && steps > kMaxWalkLines) {
        return std::nullopt;
    }
    const LineBreaker lines = breaker();
    std::size_t start = index_->sample(sample);
    for (std::int64_t step = 0; step < steps; ++step) {
        const LineSpan span = lines.line(*source_, start);
        if (span.last) {
            return std::nullopt;
        }
        start = span.next;
    }
    return start;
}

std::size_t ResultLayout::guessLineStart(std::size_t pos) {
    const std::size_t size = source_->size();
    const char afterPos = pos < size ? source_->at(pos) : '\0';
    const std::size_t reach = maxBytesPerLine();
    const std::size_t limit = pos > reach ? pos - reach : 0;
    const std::string_view before = source_->before(pos, reach);
    const std::size_t base = pos - before.size();
    for (std::size_t i = pos; i > limit; --i) {
        const char c = before[i - 1 - base];
        const char next = i == pos ? afterPos : before[i - base];
        if (c == ' ' || c == '\t' || c == '\n' || (c == '\r' && (i == size || next != '\n'))) {
            return i;
        }
    }
    // No blank nearby: any character boundary will do.
    std::size_t start = limit;
    while (start > 0 && start < size &&
           (static_cast<unsigned char>(source_->at(start)) & 0xC0) == 0x80) {
        --start;
    }
    return start;
}

std::vector<std::size_t> ResultLayout::provisionalStarts(std::size_t from, std::size_t to) {
    std::vector<std::size_t> starts;
    const LineBreaker lines = breaker();
    std::size_t start = guessLineStart(from);
    for (;;) {
        starts.push_back(start);
        const LineSpan span = lines.line(*source_, start);
        if (span.last || span.next > to) {
            return starts;
        }
        start = span.next;
    }
}

LineSpan ResultLayout::lineHolding(std::size_t pos) {
    if (!index_) {
        return {0, size(), size(), true};
    }
    for (const LineSpan& line : linesFrom(top_, rows_)) {
        if (line.holds(pos)) {
            return line;
        }
    }
    auto line = exactLineOf(pos);
    if (!line) {
        waitForIndex();
        line = exactLineOf(pos);
    }
    if (line) {
        if (const auto start = exactLineStart(*line)) {
            return breaker().line(*source_, *start);
        }
    }
    // No index to be had: the line as wrapped from a nearby blank.
    const std::vector<std::size_t> starts = provisionalStarts(pos, pos);
    return breaker().line(*source_, starts.back());
}

// ---- Scrolling -----------------------------------------------------------------------------

void ResultLayout::setTopExact(std::size_t start, std::int64_t line) {
    top_ = start;
    topLine_ = line;
    topExact_ = true;
    followEnd_ = false;
    moved_();
}

void ResultLayout::setTopProvisional(std::size_t start, std::int64_t lineGuess) {
    top_ = start;
    topLine_ = std::max<std::int64_t>(0, lineGuess);
    topExact_ = start == 0;
    if (topExact_) {
        topLine_ = 0;
    }
    moved_();
}

std::int64_t ResultLayout::lineGuess(std::size_t pos) const {
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    return lastLine + std::int64_t(double(pos - std::min(pos, lastStart)) / bytesPerLine());
}

void ResultLayout::showLineHolding(std::size_t pos) {
    if (const auto line = exactLineOf(pos)) {
        setTopExact(*exactLineStart(*line), *line);
        return;
    }
    const std::size_t start = provisionalStarts(pos, pos).back();
    setTopProvisional(start, lineGuess(start));
}

void ResultLayout::scrollToLine(std::int64_t line) {
    if (!index_) {
        return;
    }
    line = std::clamp<std::int64_t>(line, 0, maxTopLine());
    if (std::abs(line - topLine_) <= kMaxWalkLines) {
        scrollLines(line - topLine_);
        return;
    }
    if (!index_->complete() && line >= maxTopLine()) {
        scrollToEnd();
        return;
    }
    if (const auto start = exactLineStart(line)) {
        setTopExact(*start, line);
        return;
    }
    // Beyond the index: wrap provisionally from near where that line should be.
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    const double guess = double(lastStart) + double(line - lastLine) * bytesPerLine();
    const auto pos = static_cast<std::size_t>(std::min(guess, double(size())));
    followEnd_ = false;
    setTopProvisional(provisionalStarts(pos, pos).back(), line);
}

std::int64_t ResultLayout::scrollLines(std::int64_t delta) {
    if (!index_ || delta == 0) {
        return 0;
    }
    if (delta > 0) {
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
        const std::int64_t step = std::min<std::int64_t>(
            delta, std::int64_t(starts.size()) -
                       std::min<std::int64_t>(rows_, std::int64_t(starts.size())));
        if (step <= 0) {
            return 0;
        }
        if (topExact_) {
            setTopExact(starts[step], topLine_ + step);
        } else {
            followEnd_ = false;
            setTopProvisional(starts[step], topLine_ + step);
        }
        return step;
    }
    const std::int64_t up = -delta;
    if (topExact_) {
        if (topLine_ == 0) {
            return 0;
        }
        const std::int64_t line = std::max<std::int64_t>(0, topLine_ - up);
        if (const auto start = exactLineStart(line)) {
            const std::int64_t moved = line - topLine_;
            setTopExact(*start, line);
            return moved;
        }
    }
    // Wrap provisionally from far enough above.
    const std::size_t reach = std::size_t(up + 2) * maxBytesPerLine();
    const std::vector<std::size_t> starts =
        provisionalStarts(top_ > reach ? top_ - reach : 0, top_);
    const std::int64_t here = std::int64_t(starts.size()) - 1;
    const std::int64_t target = std::max<std::int64_t>(0, here - up);
    followEnd_ = false;
    setTopProvisional(starts[target], topLine_ - (here - target));
    return target - here;
}

void ResultLayout::scrollToEnd() {
    if (!index_) {
        return;
    }
    if (index_->complete()) {
        const std::int64_t line = std::max<std::int64_t>(0, index_->lineCount() - rows_);
        setTopExact(*exactLineStart(line), line);
        return;
    }
    // The index has not got there yet: wrap the end provisionally, and show the real end
    // when the index is complete.
    const std::size_t end = size();
    const std::size_t reach = std::size_t(rows_ + 2) * maxBytesPerLine();
    const std::vector<std::size_t> starts = provisionalStarts(end > reach ? end - reach : 0, end);
    const std::size_t first = starts.size() > std::size_t(rows_) ? starts.size() - rows_ : 0;
    if (end <= reach) {
        setTopExact(starts[first], std::int64_t(first));  // wrapped from the very start
        return;
    }
    setTopProvisional(starts[first], maxTopLine());
    followEnd_ = true;
}

void ResultLayout::ensureVisible(std::size_t pos) {
    if (!index_) {
        return;
    }
    if (pos >= top_) {
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
                if (step <= 0) {
                    return;  // already in sight
                }
                if (topExact_) {
                    setTopExact(window.front(), topLine_ + step);
                } else {
                    setTopProvisional(window.front(), topLine_ + step);
                }
                return;
            }
            if (span.last) {
                break;
            }
            start = span.next;
        }
        if (pos >= size()) {
            scrollToEnd();
            return;
        }
        if (const auto line = exactLineOf(pos)) {
            scrollToLine(*line - rows_ + 1);
            return;
        }
        const std::size_t reach = std::size_t(rows_ + 2) * maxBytesPerLine();
        const std::vector<std::size_t> starts =
            provisionalStarts(pos > reach ? pos - reach : 0, pos);
        const std::size_t first = starts.size() > std::size_t(rows_) ? starts.size() - rows_ : 0;
        followEnd_ = false;
        setTopProvisional(starts[first], lineGuess(starts[first]));
        return;
    }
    followEnd_ = false;
    showLineHolding(pos);
}

}  // namespace tavix::ui
