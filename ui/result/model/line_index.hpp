// Where the lines of a wrapped result start: the start of every 64th line, found in one pass
// over the text. A large text is streamed through the line breaker on a thread of its own, a
// chunk at a time, while the window shows what is ready; the window reads the starts found
// so far at any time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/result_text.hpp"
#include "ui/result/model/char_widths.hpp"

namespace tavix::ui {

class LineIndex {
  public:
    static constexpr std::int64_t kLinesPerSample = 64;
    // Texts up to this size are laid out at once on the calling thread.
    static constexpr std::size_t kSynchronousBytes = 1 << 20;
    // What the layout thread reads at a time.
    static constexpr std::size_t kStreamChunk = std::size_t{1} << 20;

    // Starts laying out `text` at `lineWidth`, with a copy of `widths`. `progress` runs on the
    // layout thread now and then, and once more when the layout is complete (or has run out
    // of memory); it is never called for a text laid out at once. Without a thread to be had,
    // a large text stays unlaid: the window estimates its lines, as while a layout runs.
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
    // Blocks until the layout thread has ended.
    void wait();

    // Memory the samples take, in bytes.
    std::size_t memoryUse() const;

  private:
    static constexpr std::size_t kBlock = 4096;

    void run(const std::stop_token& stop) noexcept;
    void layOut(const std::stop_token& stop);
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
    std::jthread thread_;
};

}  // namespace tavix::ui
