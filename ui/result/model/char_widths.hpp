// The widths of characters in the result area's font, as a table that needs no font: the
// widget fills it from its font, the tests fill it by hand. Widths are kept in 1/64 pixel, the
// fixed point in which glyphs are placed, so that sums of widths are exact and a line measures
// the same on every thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

namespace tavix::ui {

using Width = std::int64_t;
inline constexpr Width kWidthUnit = 64;

// The width of one character that is not in the byte table. Called from any thread.
using MeasureCharacter = std::function<Width(char32_t codePoint)>;

class CharWidths {
  public:
    // `ascii`: the widths of the characters from the blank (32) to 126; `measure`: any other
    // character; `tabStop`: the distance between tab stops.
    CharWidths(const std::array<Width, 95>& ascii, MeasureCharacter measure, Width tabStop);

    // A table of its own for another thread, with what this one has measured so far.
    std::unique_ptr<CharWidths> copy() const;

    // Width of each byte that is a character by itself (the blank and everything above it in
    // ASCII); -1 for control bytes and the bytes of multi-byte sequences.
    const std::array<std::int32_t, 256>& byteTable() const { return byteTable_; }
    Width of(char32_t codePoint);
    Width tabStop() const { return tabStop_; }
    // The narrowest printable ASCII character, which bounds how many bytes fit in a line.
    Width narrowest() const { return narrowest_; }

  private:
    CharWidths() = default;

    std::array<std::int32_t, 256> byteTable_{};
    MeasureCharacter measure_;
    std::unordered_map<char32_t, Width> others_;
    Width tabStop_ = 0;
    Width narrowest_ = 1;
};

}  // namespace tavix::ui
