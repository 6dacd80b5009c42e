#include "ui/result_utf16_task.hpp"

#include <system_error>

namespace tavix::ui {

Utf16OffsetsTask::Utf16OffsetsTask(std::shared_ptr<const std::string> text,
                                   std::function<void()> finished)
    : text_(std::move(text)), finished_(std::move(finished)) {
    if (text_->size() <= kSynchronousBytes) {
        offsets_ = std::make_unique<Utf16Offsets>(*text_);
        return;
    }
    threadDone_ = false;
    try {
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    } catch (const std::system_error&) {
        threadDone_ = true;  // get() makes the pass
    }
}

Utf16OffsetsTask::~Utf16OffsetsTask() = default;  // the thread is asked to stop and joined

bool Utf16OffsetsTask::inProgress() const {
    return !threadDone_.load(std::memory_order_acquire);
}

const Utf16Offsets& Utf16OffsetsTask::get() {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (!offsets_) {
        offsets_ = std::make_unique<Utf16Offsets>(*text_);
    }
    return *offsets_;
}

void Utf16OffsetsTask::run(const std::stop_token& stop) noexcept {
    try {
        auto offsets = std::make_unique<Utf16Offsets>(*text_, stop);
        if (stop.stop_requested()) {
            return;
        }
        offsets_ = std::move(offsets);
    } catch (const std::bad_alloc&) {
        // Left to get(), on the thread that needs the offsets.
    }
    threadDone_.store(true, std::memory_order_release);
    try {
        finished_();
    } catch (const std::exception&) {
        // Out of memory for the notice: whoever needs the offsets still gets them from get().
    }
}

}  // namespace tavix::ui
