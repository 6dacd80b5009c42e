#include "ui/result/model/line_locator.hpp"

#include <algorithm>
#include <string_view>

namespace tavix::ui {

namespace {

// Lines wrapped at the start of the text for the first estimate of the bytes per line.
constexpr int kFirstLines = 256;

}  // namespace

LineLocator::LineLocator(TextSource& text, CharWidths& widths, Width lineWidth,
                         std::function<void()> progress)
    : text_(text),
      widths_(widths),
      lineWidth_(lineWidth),
      index_(text.shared(), widths, lineWidth, std::move(progress)) {
    std::size_t pos = 0;
    int lines = 0;
    const LineBreaker wrap = breaker();
    for (; lines < kFirstLines; ++lines) {
        const LineSpan line = wrap.line(text_, pos);
        if (line.last) {
            break;
        }
        pos = line.next;
    }
    firstLinesBytesPerLine_ = lines > 0 ? std::max(1.0, double(pos) / lines) : 1.0;
}

LineLocator::Sample LineLocator::lastSample() const {
    const std::int64_t last = index_.sampleCount() - 1;
    return {last * LineIndex::kLinesPerSample, index_.sample(last)};
}

double LineLocator::bytesPerLine() const {
    if (index_.sampleCount() > 1) {
        const Sample last = lastSample();
        return std::max(1.0, double(last.start) / double(last.line));
    }
    return firstLinesBytesPerLine_;
}

std::size_t LineLocator::maxBytesPerLine() const {
    // Four bytes for the widest UTF-8 character of the narrowest width.
    const Width perLine = lineWidth_ / widths_.narrowest() + 2;
    return static_cast<std::size_t>(
        std::min<Width>(4 * perLine, Width{LineBreaker::kMaxLineBytes}));
}

std::int64_t LineLocator::lineCount() const {
    if (index_.complete()) {
        return index_.lineCount();
    }
    const Sample last = lastSample();
    return last.line + 1 +
           static_cast<std::int64_t>(double(text_.size() - last.start) / bytesPerLine());
}

std::int64_t LineLocator::lineGuess(std::size_t pos) const {
    const Sample last = lastSample();
    return last.line + std::int64_t(double(pos - std::min(pos, last.start)) / bytesPerLine());
}

std::size_t LineLocator::placeGuess(std::int64_t line) const {
    const Sample last = lastSample();
    const double guess = double(last.start) + double(line - last.line) * bytesPerLine();
    return static_cast<std::size_t>(std::min(guess, double(text_.size())));
}

// ---- Exact ---------------------------------------------------------------------------------

std::optional<std::int64_t> LineLocator::exactLineOf(std::size_t pos) const {
    const std::int64_t samples = index_.sampleCount();
    std::int64_t low = 0;
    std::int64_t high = samples;
    while (high - low > 1) {
        const std::int64_t middle = low + (high - low) / 2;
        if (index_.sample(middle) <= pos) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const bool bounded = low + 1 < samples || index_.complete();
    const std::int64_t maxSteps = bounded ? LineIndex::kLinesPerSample : kMaxWalkLines;
    const LineBreaker lines = breaker();
    std::size_t start = index_.sample(low);
    std::int64_t line = low * LineIndex::kLinesPerSample;
    for (std::int64_t step = 0;; ++step) {
        const LineSpan span = lines.line(text_, start);
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

std::optional<std::size_t> LineLocator::exactLineStart(std::int64_t line) const {
    if (line < 0) {
        return std::nullopt;
    }
    const bool complete = index_.complete();
    if (complete) {
        line = std::min(line, index_.lineCount() - 1);
    }
    const std::int64_t samples = index_.sampleCount();
    const std::int64_t sample = std::min(line / LineIndex::kLinesPerSample, samples - 1);
    const std::int64_t steps = line - sample * LineIndex::kLinesPerSample;
    if (!complete && sample == samples - 1 && steps > kMaxWalkLines) {
        return std::nullopt;
    }
    const LineBreaker lines = breaker();
    std::size_t start = index_.sample(sample);
    for (std::int64_t step = 0; step < steps; ++step) {
        const LineSpan span = lines.line(text_, start);
        if (span.last) {
            return std::nullopt;
        }
        start = span.next;
    }
    return start;
}

// ---- Provisional ---------------------------------------------------------------------------

std::size_t LineLocator::guessLineStart(std::size_t pos) const {
    const std::size_t size = text_.size();
    const char afterPos = pos < size ? text_.at(pos) : '\0';
    const std::size_t reach = maxBytesPerLine();
    const std::size_t limit = pos > reach ? pos - reach : 0;
    const std::string_view before = text_.before(pos, reach);
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
           (static_cast<unsigned char>(text_.at(start)) & 0xC0) == 0x80) {
        --start;
    }
    return start;
}

std::vector<std::size_t> LineLocator::provisionalStarts(std::size_t from, std::size_t to) const {
    std::vector<std::size_t> starts;
    const LineBreaker lines = breaker();
    std::size_t start = guessLineStart(from);
    for (;;) {
        starts.push_back(start);
        const LineSpan span = lines.line(text_, start);
        if (span.last || span.next > to) {
            return starts;
        }
        start = span.next;
    }
}

std::vector<std::size_t> LineLocator::provisionalStartsBefore(std::size_t pos,
                                                              std::int64_t lines) const {
    const std::size_t reach = reachFor(lines);
    return provisionalStarts(pos > reach ? pos - reach : 0, pos);
}

LineLocator::Tail LineLocator::provisionalTail(std::size_t pos, int rows) const {
    const std::vector<std::size_t> starts = provisionalStartsBefore(pos, rows);
    const std::size_t first = starts.size() > std::size_t(rows) ? starts.size() - rows : 0;
    return {starts[first], std::int64_t(first)};
}

}  // namespace tavix::ui
