// Walking a UTF-8 result text by characters, and translating between its byte offsets and the
// UTF-16 character offsets that Qt's accessibility interface speaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string_view>
#include <vector>

namespace tavix::ui {

// One character of a UTF-8 text: its code point and how many bytes it takes. A byte that does
// not start a well-formed sequence is a character of its own, U+FFFD, one byte long.
struct Utf8Char {
    char32_t codePoint;
    int length;
};

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the character that starts at `pos` (which must be below text.size()).
Utf8Char decodeUtf8(std::string_view text, std::size_t pos);

// The offset of the character after / before the one at `pos`. A carriage return followed by a
// line feed counts as one character here, so that the caret never stops between the two.
std::size_t nextCharBoundary(std::string_view text, std::size_t pos);
std::size_t previousCharBoundary(std::string_view text, std::size_t pos);

// Words, for double-click and Ctrl+arrow: runs of letters and digits (any non-ASCII character
// counts as a letter), runs of blanks, runs of other marks; a line break stands alone.
// wordStart(pos) and wordEnd(pos) bound the run holding the character at `pos`.
std::size_t wordStart(std::string_view text, std::size_t pos);
std::size_t wordEnd(std::string_view text, std::size_t pos);
bool isBlank(char c);

// The number of UTF-16 code units of text[begin, end).
std::int64_t utf16Length(std::string_view text, std::size_t begin, std::size_t end);

// Byte offset <-> UTF-16 offset, for a text that does not change. Keeps the offsets of the first
// character of every 64 KiB block, so a translation decodes at most about one block.
class Utf16Offsets {
  public:
    // One pass over the text. A stop request ends the pass early and leaves the object of no
    // use; it serves a pass on a thread that is no longer wanted.
    explicit Utf16Offsets(std::string_view text, const std::stop_token& stop = {});

    std::int64_t length() const { return length_; }
    std::int64_t toUtf16(std::size_t byteOffset) const;
    // The byte offset of the character holding UTF-16 unit `utf16Offset` (the start of a
    // surrogate pair for its second half), clamped to the text.
    std::size_t toBytes(std::int64_t utf16Offset) const;

  private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;
    std::string_view text_;
    struct Checkpoint {
        std::size_t byte;  // first character starting at or after i * kBlockBytes
        std::int64_t utf16;
    };
    std::vector<Checkpoint> checkpoints_;
    std::int64_t length_ = 0;
};

}  // namespace tavix::ui
