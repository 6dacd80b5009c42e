#include "ui/result/model/line_index.hpp"

#include <chrono>
#include <exception>
#include <new>

#include "ui/result/model/line_breaker.hpp"

namespace tavix::ui {

namespace {

// How often the layout thread reports its progress.
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

}  // namespace

LineIndex::LineIndex(ResultTextPtr text, const CharWidths& widths, Width lineWidth,
                     std::function<void()> progress)
    : text_(std::move(text)),
      widths_(widths.copy()),
      lineWidth_(lineWidth),
      progress_(std::move(progress)) {
    // Every line but the last takes at least one byte.
    const std::size_t maxSamples = text_->size() / kLinesPerSample + 2;
    blocks_.resize(maxSamples / kBlock + 1);
    publish(0);  // the first line's start is known before the layout begins
    if (text_->size() <= kSynchronousBytes) {
        layOutUntil(Clock::time_point::max(), std::stop_token());
        return;
    }
    if (threadsAllowed.load(std::memory_order_relaxed)) {
        try {
            thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
            return;
        } catch (const std::exception&) {
            // No thread to be had (or no memory for one): the owner's thread does the work.
        }
    }
    stepping_ = true;
    report();
}

LineIndex::~LineIndex() = default;  // the thread is asked to stop and joined

void LineIndex::wait() {
    if (thread_.joinable()) {
        thread_.join();
    } else if (needsSteps()) {
        stalled_ = !layOutUntil(Clock::time_point::max(), std::stop_token());
    }
}

void LineIndex::step(std::chrono::nanoseconds time) {
    if (needsSteps()) {
        stalled_ = !layOutUntil(Clock::now() + time, std::stop_token());
        report();
    }
}

std::size_t LineIndex::memoryUse() const {
    std::size_t bytes = blocks_.capacity() * sizeof blocks_[0];
    for (const auto& block : blocks_) {
        if (block) {
            bytes += kBlock * sizeof(std::size_t);
        }
    }
    return bytes;
}

void LineIndex::publish(std::size_t lineStart) {
    const auto i = static_cast<std::size_t>(published_.load(std::memory_order_relaxed));
    auto& block = blocks_[i / kBlock];
    if (!block) {
        block = std::make_unique<std::size_t[]>(kBlock);
    }
    block[i % kBlock] = lineStart;
    published_.store(static_cast<std::int64_t>(i + 1), std::memory_order_release);
}

void LineIndex::report() noexcept {
    try {
        progress_();
    } catch (const std::exception&) {
        // No memory for the notice: the window learns of the progress at the next one.
    }
}

void LineIndex::run(const std::stop_token& stop) noexcept {
    for (;;) {
        const bool laidOut = layOutUntil(Clock::now() + kProgressInterval, stop);
        if (stop.stop_requested()) {
            return;
        }
        report();
        if (!laidOut || complete()) {
            return;
        }
    }
}

bool LineIndex::layOutUntil(Clock::time_point until, const std::stop_token& stop) noexcept {
    try {
        layOut(until, stop);
        return true;
    } catch (const std::bad_alloc&) {
        // No memory for more line starts or for the text: the layout stays where it got to,
        // and the window goes on estimating the lines past it, as while a layout is under way.
        return false;
    }
}

void LineIndex::layOut(Clock::time_point until, const std::stop_token& stop) {
    if (!source_) {
        source_ = std::make_unique<TextSource>(text_, kStreamChunk);
    }
    const LineBreaker breaker(*widths_, lineWidth_);
    for (;;) {
        const LineSpan line = breaker.line(*source_, pos_);
        ++lines_;
        if (line.last) {
            break;
        }
        pos_ = line.next;
        if (lines_ % kLinesPerSample == 0) {
            publish(pos_);
            // The clock and the stop are looked at every 4096 lines.
            if ((lines_ / kLinesPerSample) % 64 == 0 &&
                (stop.stop_requested() || Clock::now() >= until)) {
                return;
            }
        }
    }
    lineCount_ = lines_;
    complete_.store(true, std::memory_order_release);
    source_.reset();
}

}  // namespace tavix::ui
