// Where the lines of a wrapped result start: the start of every 64th line, found in one pass
// over the text. A large text is streamed through the line breaker on a thread of its own, a
// chunk at a time, while the window shows what is ready; the window reads the starts found
// so far at any time. When the system gives no thread (out of threads, or of address space
// for a thread's stack), the owner's thread lays the text out a short piece at a time instead,
// between its other work.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/result_text.hpp"
#include "ui/result/model/char_widths.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {

class LineIndex {
  public:
    static constexpr std::int64_t kLinesPerSample = 64;
    // Texts up to this size are laid out at once on the calling thread.
    static constexpr std::size_t kSynchronousBytes = 1 << 20;
    // What the layout thread reads at a time.
    static constexpr std::size_t kStreamChunk = std::size_t{1} << 20;

    // How long one piece of the layout takes when there is no thread for it: short enough
    // for the window to answer keys and paint in between.
    static constexpr std::chrono::milliseconds kPieceTime{8};
    // Whether the index may have a thread of its own. Tests switch it off to see the layout
    // done in pieces, as when the system gives no thread.
    static inline std::atomic<bool> threadsAllowed{true};

    // Starts laying out `text` at `lineWidth`, with a copy of `widths`. `progress` runs on the
    // layout thread now and then, and once more when the layout is complete (or has run out
    // of memory); it is never called for a text laid out at once. Without a thread to be had,
    // `progress` runs at once on the calling thread, and the owner answers each call with
    // step() there until the layout is complete; the window estimates the lines meanwhile,
    // as while a layout thread runs.
    LineIndex(ResultTextPtr text, const CharWidths& widths, Width lineWidth,
              std::function<void()> progress);
    // Stops the layout thread, if any, and waits for it.
    ~LineIndex();

    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    bool complete() const { return complete_.load(std::memory_order_acquire); }
    // The number of lines; valid once complete.
    std::int64_t lineCount() const { return lineCount_; }
    // How many samples are ready: sample(i) is the start of line i * kLinesPerSample.
    std::int64_t sampleCount() const { return published_.load(std::memory_order_acquire); }
    std::size_t sample(std::int64_t i) const {
        return blocks_[static_cast<std::size_t>(i) / kBlock][static_cast<std::size_t>(i) % kBlock];
    }
    // Blocks until the layout thread has ended; without a thread, lays out the rest at once.
    void wait();
    // Whether the layout waits for step() calls, having no thread.
    bool needsSteps() const { return stepping_ && !complete() && !stalled_; }
    // Lays out one more piece (for about `time`, and at least 4096 lines), then calls
    // `progress`.
    void step(std::chrono::nanoseconds time = kPieceTime);

    // Memory the samples take, in bytes.
    std::size_t memoryUse() const;

  private:
    static constexpr std::size_t kBlock = 4096;

    using Clock = std::chrono::steady_clock;

    void run(const std::stop_token& stop) noexcept;
    // Lays out until `until` or the end of the text, or until a stop is asked for; false when
    // it ran out of memory.
    bool layOutUntil(Clock::time_point until, const std::stop_token& stop) noexcept;
    void layOut(Clock::time_point until, const std::stop_token& stop);
    void report() noexcept;
    void publish(std::size_t lineStart);

    ResultTextPtr text_;
    std::unique_ptr<CharWidths> widths_;
    Width lineWidth_;
    std::function<void()> progress_;
    // Fixed-size table of sample blocks, sized for the most lines the text can have, so that
    // the reader never sees it move.
    std::vector<std::unique_ptr<std::size_t[]>> blocks_;
    std::atomic<std::int64_t> published_{0};
    std::int64_t lineCount_ = 0;
    std::atomic<bool> complete_{false};
    // Where the layout has got to, between pieces.
    std::unique_ptr<TextSource> source_;
    std::size_t pos_ = 0;
    std::int64_t lines_ = 0;
    bool stepping_ = false;
    bool stalled_ = false;  // out of memory: the layout stays where it got to
    std::jthread thread_;
};

}  // namespace tavix::ui
