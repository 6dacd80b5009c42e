// UTF-8 texts: the classes of their bytes, walked by characters, and their length in UTF-16
// code units, the measure in which desktop toolkits and assistive technology count characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tavix {

// A blank: the space or the tab. Blanks separate words, hang at the end of a wrapped line,
// and surround a number that IsNumericText accepts.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A byte that ends a line: the line feed or the carriage return (a CR LF ends one line).
inline constexpr std::string_view kLineBreaks = "\n\r";
constexpr bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The longest character: four bytes.
inline constexpr std::size_t kMaxUtf8Length = 4;

// A byte that continues a multi-byte character rather than starting one.
constexpr bool isUtf8Continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// One character of a UTF-8 text: its code point and how many bytes it takes. A byte that does
// not start a well-formed sequence is a character of its own, U+FFFD, one byte long.
struct Utf8Char {
    char32_t codePoint;
    int length;
};

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the character that starts at `pos` (which must be below text.size()).
Utf8Char decodeUtf8(std::string_view text, std::size_t pos);

// The byte length of the character that ends `bytes` (which must not be empty): the
// well-formed sequence of two to four bytes ending there, or else its last byte alone.
std::size_t lastUtf8Length(std::string_view bytes);

// UTF-16 code units of one character: two beyond U+FFFF.
inline int utf16Units(char32_t codePoint) {
    return codePoint >= 0x10000 ? 2 : 1;
}

// UTF-16 code units of the characters that start in text[begin, end).
std::uint64_t utf16Length(std::string_view text, std::size_t begin, std::size_t end);
inline std::uint64_t utf16Length(std::string_view text) {
    return utf16Length(text, 0, text.size());
}

// Byte offset <-> UTF-16 offset in a text kept in memory. Keeps the offsets of the first
// character of every 64 KiB block, so that a translation decodes at most about one block.
class Utf16Map {
  public:
    explicit Utf16Map(std::string_view text);

    std::uint64_t length() const { return length_; }
    // UTF-16 units of the characters before the one at `byteOffset` (a character boundary).
    std::uint64_t toUtf16(std::size_t byteOffset) const;
    // The byte offset of the character holding UTF-16 unit `utf16Offset` (the start of a
    // surrogate pair for its second half), clamped to the text.
    std::size_t toBytes(std::uint64_t utf16Offset) const;

  private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;
    struct Checkpoint {
        std::size_t byte;  // first character starting at or after i * kBlockBytes
        std::uint64_t utf16;
    };
    std::string_view text_;
    std::vector<Checkpoint> checkpoints_;
    std::uint64_t length_ = 0;
};

}  // namespace tavix
