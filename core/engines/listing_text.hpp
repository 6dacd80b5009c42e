// The text of a prime listing, made on demand.
//
// First the primes of every sieve window of the list are counted: a window the list covers
// whole is counted from a table, the others are sieved (on the calling thread and one more
// if the machine has a second core). The counts lay the whole text out to the byte: where
// each window's primes start, in bytes and in characters. Nothing more is kept. Reading a
// stretch of the text sieves again only the windows that cover it and prints their primes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engines/prime_text.hpp"
#include "core/result_text.hpp"

namespace tavix {

// The count line for a number of primes, in front of the list.
using CountLine = std::function<std::string(std::uint64_t count)>;

// countLine(count), then `start`, then the primes of the pieces (ascending, disjoint), each
// behind ", " except the very first item of a list with an empty start. count is startCount
// plus the primes of the pieces. Without a countLine the list stands alone.
ResultTextPtr makeListingText(std::string_view start, std::uint64_t startCount,
                              std::vector<ListingPiece> pieces, const CountLine& countLine);

}  // namespace tavix
