#include "ui/result/model/line_index.hpp"

#include <chrono>
#include <exception>
#include <new>

#include "ui/result/model/line_breaker.hpp"
#include "ui/result/model/text_source.hpp"

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
    if (text_->size() > kSynchronousBytes) {
        try {
            thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
        } catch (const std::exception&) {
            // No thread to be had (or no memory for one): the window goes on estimating.
        }
        return;
    }
    run(std::stop_token());
}

LineIndex::~LineIndex() = default;  // the thread is asked to stop and joined

void LineIndex::wait() {
    if (thread_.joinable()) {
        thread_.join();
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
    try {
        layOut(stop);
    } catch (const std::bad_alloc&) {
        // No memory for more line starts or for the text: the layout stays where it got to,
        // and the window goes on estimating the lines past it, as while a layout is under way.
        if (stop.stop_possible()) {
            report();
        }
    }
}

void LineIndex::layOut(const std::stop_token& stop) {
    TextSource text(text_, kStreamChunk);
    const LineBreaker breaker(*widths_, lineWidth_);
    const bool reporting = stop.stop_possible();  // only on the layout thread
    auto lastReport = std::chrono::steady_clock::now();
    std::size_t pos = 0;
    std::int64_t lines = 0;
    for (;;) {
        const LineSpan line = breaker.line(text, pos);
        ++lines;
        if (line.last) {
            break;
        }
        pos = line.next;
        if (lines % kLinesPerSample == 0) {
            publish(pos);
            if (reporting && (lines / kLinesPerSample) % 64 == 0) {
                if (stop.stop_requested()) {
                    return;
                }
                const auto now = std::chrono::steady_clock::now();
                if (now - lastReport >= kProgressInterval) {
                    lastReport = now;
                    report();
                }
            }
        }
    }
    lineCount_ = lines;
    complete_.store(true, std::memory_order_release);
    if (reporting) {
        report();
    }
}

}  // namespace tavix::ui
