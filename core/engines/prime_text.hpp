// How the primes of a sieved window become the text of the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavix {

// A stretch of the list whose items all print the same way and take the same room: the
// primes m from low to high (7 ≤ low ≤ high < 2^32), each printed as the whole number
// m + shift followed by `tail`. Whole candidates have shift 0 and no tail; a candidate with
// a fraction prints its whole part and then the separator and digits of the fraction.
struct ListingPiece {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::int64_t shift = 0;
    std::string tail;
    std::size_t itemSize = 0;  // bytes of one printed prime, without the separator
};

// The separator between two items of the list: a comma and a blank.
inline constexpr std::string_view kListSeparator = ", ";
inline constexpr std::size_t kSeparatorSize = kListSeparator.size();

// Writes the primes whose bits are set in [beginBit, endBit) of a sieved window (all of them
// in `piece`) into out, each behind ", " except the first when `leading` is set. Writes only
// below `limit`, which must leave room for every item. Returns the end of what it wrote.
char* writePrimes(const std::uint64_t* bitmap, std::uint64_t window, std::uint64_t beginBit,
                  std::uint64_t endBit, const ListingPiece& piece, bool leading, char* out,
                  char* limit);

}  // namespace tavix
