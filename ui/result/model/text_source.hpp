// The result text as the result area reads it: short stretches near one another, again and
// again (a paint, a caret move, a line lookup). A text kept in memory is read in place; any
// other is read through a reader of its own, which keeps the last few stretches it made.
// One TextSource belongs to one thread.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/result_text.hpp"

namespace tavix::ui {

class TextSource {
  public:
    // Bytes a stretch made on demand holds at least: a few screens of text, made in well
    // under a millisecond.
    static constexpr std::size_t kDefaultChunk = std::size_t{64} << 10;
    // The smallest chunk a source takes (the tests' small chunks included): room for the
    // longest character many times over.
    static constexpr std::size_t kMinimumChunk = 64;
    // A stretch made from `pos` on starts this share of a chunk before it (1/16), so that
    // reading back a little from there, as a caret move or a line lookup does, finds it too.
    static constexpr std::size_t kReadBackShare = 16;

    explicit TextSource(ResultTextPtr text, std::size_t chunk = kDefaultChunk);

    const ResultText& text() const { return *text_; }
    const ResultTextPtr& shared() const { return text_; }
    std::size_t size() const { return size_; }

    // The bytes from `pos` on, at least min(minimum, size() − pos) of them, possibly more.
    // Like every view below, valid until the next call on this source.
    std::string_view from(std::size_t pos, std::size_t minimum);
    // The bytes before `pos`, at least min(minimum, pos) of them, possibly more.
    std::string_view before(std::size_t pos, std::size_t minimum);
    // Bytes [begin, end), clamped to the text.
    std::string_view span(std::size_t begin, std::size_t end);
    char at(std::size_t pos) { return from(pos, 1)[0]; }
    // A copy of bytes [begin, end), clamped to the text, of any length.
    std::string copy(std::size_t begin, std::size_t end);

  private:
    struct Stretch {
        std::size_t begin = 0;
        std::string bytes;
        std::uint64_t used = 0;  // when it was last read, for replacing the oldest
    };

    // A stretch that holds [begin, end); made from `start` when none does.
    const Stretch& holding(std::size_t begin, std::size_t end, std::size_t start);

    ResultTextPtr text_;
    std::size_t size_;
    std::size_t chunk_;
    std::optional<std::string_view> whole_;
    std::unique_ptr<TextReader> reader_;
    // Three stretches: the one read last and the ones before and after it, which a caret
    // move or a paint reaches next.
    std::array<Stretch, 3> stretches_;
    std::uint64_t clock_ = 0;
};

}  // namespace tavix::ui
