// How many primes every whole sieve window below 2147483648 holds: a table written by
// tools/window_counts/make_window_counts.cpp and checked against a plain sieve by the tests.
// A listing counts the windows it covers whole from here, and sieves only the windows it
// covers in part, so that its text is laid out at once even for the whole range.
#pragma once

#include <cstdint>
#include <optional>

#include "core/engines/prime_sieve.hpp"

namespace tavix {

// The primes from 7 up in the numbers of window `window`, when every number of the window
// lies below 2147483648; nothing otherwise.
std::optional<std::uint64_t> primesInWholeWindow(std::uint64_t window);

// The windows the table covers: 0 to kCountedWindows − 1, every whole window below 2^31.
inline constexpr std::uint64_t kCountedWindows = (std::uint64_t{1} << 31) / kWindowSpan;

}  // namespace tavix
