// The text of a result, as the result area shows it: a value that knows its length and makes
// any stretch of itself on demand. A listing of every prime below 2^31 is 1.2 GB of text, yet
// it is a pure function of its interval; its text is made a piece at a time, as it is read,
// and never has to be held whole. Fixed answers and messages are plain strings behind the
// same interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavix {

// Reads a result text, which it keeps alive. A reader keeps what it has made lately, so that
// reading on from where the last read ended, or near it, costs little; it belongs to one
// thread at a time.
class TextReader {
  public:
    virtual ~TextReader() = default;
    // Writes bytes [begin, begin + out.size()) of the text into `out`; the range must lie
    // within the text. May throw std::bad_alloc.
    virtual void read(std::uint64_t begin, std::span<char> out) = 0;
};

// A UTF-8 text that says its length and makes any byte range of itself. It never changes; any
// number of threads may use one at the same time, each through readers of its own.
//
// Characters are counted in UTF-16 code units, the measure of desktop toolkits and assistive
// technology: one for each character, two for one beyond U+FFFF, one for each byte that is
// not part of a well-formed sequence.
class ResultText {
  public:
    virtual ~ResultText() = default;

    // Length in bytes and in characters.
    virtual std::uint64_t size() const = 0;
    virtual std::uint64_t length() const = 0;

    // The characters before the byte offset `byte` (a character boundary, at most size()).
    virtual std::uint64_t characterOffset(std::uint64_t byte) const = 0;
    // The byte offset of the character that holds character offset `character` (the start of
    // a pair of surrogates for its second half); size() from length() on.
    virtual std::uint64_t byteOffset(std::uint64_t character) const = 0;

    virtual std::unique_ptr<TextReader> reader() const = 0;

    // Whether a line feed or a carriage return occurs anywhere in the text.
    virtual bool hasLineBreaks() const = 0;
    // The whole text, when it is kept in memory as one piece; nothing otherwise.
    virtual std::optional<std::string_view> contiguous() const { return std::nullopt; }
    // Memory the text keeps, in bytes (not counting what a reader makes).
    virtual std::size_t memoryUse() const = 0;

    // Bytes [begin, end) as one string, made by a reader of its own.
    std::string slice(std::uint64_t begin, std::uint64_t end) const;
    // The whole text as one string; a large one is made by two threads where there are two
    // cores. May throw std::bad_alloc.
    std::string toString() const;
};

using ResultTextPtr = std::shared_ptr<const ResultText>;

// A text kept as it is.
ResultTextPtr makePlainText(std::string text);

}  // namespace tavix
