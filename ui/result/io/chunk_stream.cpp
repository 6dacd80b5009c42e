#include "ui/result/io/chunk_stream.hpp"

#include <algorithm>
#include <system_error>

#include "core/work_sharing.hpp"

namespace tavix::ui {

namespace {

// Chunks each thread may make ahead of the one being taken.
constexpr std::size_t kSlotsPerWorker = 2;

}  // namespace

ChunkStream::ChunkStream(ResultTextPtr text, std::size_t chunk, std::size_t threads)
    : text_(std::move(text)), size_(text_->size()), chunk_(std::max<std::size_t>(chunk, 1)) {
    if (text_->contiguous()) {
        return;  // handed over in place
    }
    // As many threads as can be had, up to two; each makes every workers_-th chunk.
    for (workers_ = std::min<std::uint64_t>(std::min(workerCount(), threads),
                                            std::max<std::uint64_t>(chunkCount(), 1));
         workers_ > 0; --workers_) {
        slots_.assign(workers_ * kSlotsPerWorker + 1, Slot());
        try {
            for (std::size_t w = 0; w < workers_; ++w) {
                threads_.emplace_back([this, w] { make(w); });
            }
            return;
        } catch (const std::exception&) {  // no thread, or no memory for one
            {
                const std::lock_guard lock(mutex_);
                stopping_ = true;
            }
            changed_.notify_all();
            threads_.clear();
            stopping_ = false;
        }
    }
    // None: next() makes the chunks itself.
    workers_ = 1;
    slots_.assign(1, Slot());
}

ChunkStream::~ChunkStream() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    threads_.clear();  // joins
}

void ChunkStream::make(std::size_t worker) noexcept {
    try {
        const auto reader = text_->reader();
        const std::uint64_t count = chunkCount();
        std::string bytes;
        for (std::uint64_t chunk = worker;; chunk += workers_) {
            std::size_t slot = 0;
            {
                std::unique_lock lock(mutex_);
                // Made far enough ahead, and its slot free again.
                changed_.wait(lock, [&] {
                    return stopping_ || chunk >= count || chunk < taken_ + slots_.size() - 1;
                });
                if (stopping_ || chunk >= count) {
                    return;
                }
                slot = chunk % slots_.size();
            }
            const std::uint64_t begin = chunk * chunk_;
            bytes.resize(std::min<std::uint64_t>(chunk_, size_ - begin));
            reader->read(begin, bytes);
            {
                const std::lock_guard lock(mutex_);
                std::swap(slots_[slot].bytes, bytes);
                slots_[slot].chunk = chunk;
            }
            changed_.notify_all();
        }
    } catch (...) {
        {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
        }
        changed_.notify_all();
    }
}

std::string_view ChunkStream::next() {
    if (const auto whole = text_->contiguous()) {
        const std::uint64_t begin = taken_ * chunk_;
        if (begin >= size_) {
            return {};
        }
        ++taken_;
        return whole->substr(begin, chunk_);
    }
    const std::uint64_t chunk = taken_;
    if (chunk >= chunkCount()) {
        return {};
    }
    std::unique_lock lock(mutex_);
    if (threads_.empty()) {
        // No thread could be had: made here.
        lock.unlock();
        Slot& slot = slots_[0];
        const std::uint64_t begin = chunk * chunk_;
        slot.bytes.resize(std::min<std::uint64_t>(chunk_, size_ - begin));
        if (!ownReader_) {
            ownReader_ = text_->reader();
        }
        ownReader_->read(begin, slot.bytes);
        ++taken_;
        return slot.bytes;
    }
    Slot& slot = slots_[chunk % slots_.size()];
    changed_.wait(lock, [&] { return slot.chunk == chunk || failure_; });
    if (slot.chunk != chunk) {
        std::rethrow_exception(failure_);
    }
    ++taken_;  // frees the slot of the chunk before this one
    lock.unlock();
    changed_.notify_all();
    return slot.bytes;
}

}  // namespace tavix::ui
