// The UTF-16 offsets of a result, in which assistive technology speaks. For a large result
// they take a pass over the whole text, so the pass runs on a thread of its own, and whoever
// needs the offsets before it is done waits for it.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "ui/result_text.hpp"

namespace tavix::ui {

class Utf16OffsetsTask {
  public:
    // Texts up to this size are passed over at once, on the calling thread.
    static constexpr std::size_t kSynchronousBytes = 1 << 20;

    // Starts the pass over `text`. `finished` runs on the pass's thread when it ends (even if
    // it ran out of memory); it is not called for a text passed over at once, nor after the
    // task is destroyed.
    Utf16OffsetsTask(std::shared_ptr<const std::string> text, std::function<void()> finished);
    // Stops the pass, if it is still going, and waits for its thread.
    ~Utf16OffsetsTask();

    Utf16OffsetsTask(const Utf16OffsetsTask&) = delete;
    Utf16OffsetsTask& operator=(const Utf16OffsetsTask&) = delete;

    // Whether the pass is still going on its thread.
    bool inProgress() const;
    // The offsets, waiting for the pass if need be. If no thread could be had, or the thread
    // ran out of memory, the pass is made here.
    const Utf16Offsets& get();

  private:
    void run(const std::stop_token& stop) noexcept;

    std::shared_ptr<const std::string> text_;
    std::function<void()> finished_;
    std::unique_ptr<Utf16Offsets> offsets_;
    std::atomic<bool> threadDone_{true};
    std::jthread thread_;
};

}  // namespace tavix::ui
