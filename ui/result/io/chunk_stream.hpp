// A result text from start to end in chunks, for writing it out: the chunks are made ahead
// of the one who takes them, by two threads where the machine has a second core, and handed
// over in order. Only a few chunks exist at any time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/result_text.hpp"

namespace tavix::ui {

class ChunkStream {
  public:
    static constexpr std::size_t kDefaultChunk = std::size_t{4} << 20;

    // `threads`: how many threads may make chunks ahead, at most (0: next() makes each one).
    explicit ChunkStream(ResultTextPtr text, std::size_t chunk = kDefaultChunk,
                         std::size_t threads = 2);
    // Stops the threads that make the chunks and waits for them.
    ~ChunkStream();

    ChunkStream(const ChunkStream&) = delete;
    ChunkStream& operator=(const ChunkStream&) = delete;

    // The next chunk, valid until the next call; empty at the end. Rethrows what making it
    // threw (out of memory).
    std::string_view next();

  private:
    struct Slot {
        std::uint64_t chunk = ~std::uint64_t{0};  // the chunk it holds, once made
        std::string bytes;
    };

    void make(std::size_t worker) noexcept;
    std::uint64_t chunkCount() const { return (size_ + chunk_ - 1) / chunk_; }

    ResultTextPtr text_;
    std::uint64_t size_;
    std::size_t chunk_;
    std::size_t workers_ = 1;
    std::vector<Slot> slots_;
    std::uint64_t taken_ = 0;  // chunks handed over (the last one may still be in use)
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::unique_ptr<TextReader> ownReader_;  // when no thread could be had
    std::vector<std::jthread> threads_;
};

}  // namespace tavix::ui
