// The text of a prime listing, built once and in place.
//
// A first sieve pass counts the primes of every window, so that the count line is known and
// the whole text can be laid out to the byte before it is written; a second pass sieves the
// windows again and writes each one's primes straight into its place. Both passes share the
// windows between the calling thread and one more, if the machine has a second core; the
// text does not depend on how they share them.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/engines/prime_text.hpp"

namespace tavix {

// The count line for a number of primes, in front of the list.
using CountLine = std::function<std::string(std::uint64_t count)>;

// countLine(count), then `start`, then the primes of the pieces (ascending, disjoint), each
// behind ", " except the very first item of a list with an empty start. count is startCount
// plus the primes of the pieces. Without a countLine the list stands alone.
std::string listPrimes(std::string_view start, std::uint64_t startCount,
                       std::span<const ListingPiece> pieces, const CountLine& countLine);

}  // namespace tavix
