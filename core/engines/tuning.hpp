// The numbers that set the speed of the listing's text, each with its reason. None of them
// changes a result; change one, measure with tavix_bench (bench/).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavix::tuning {

// The sieve's window, in bytes of 30 numbers each: one level-1 data cache (32 KiB on the
// machines Tavix runs on), so that striking a window never leaves the fastest cache. The
// table of primes per window (window_counts.cpp) is made for this size: regenerate it
// after changing it.
inline constexpr std::size_t kWindowBytes = 32 * 1024;

// Windows the count pass hands out at a time: enough that restarting the sieve at each
// hand-out costs little, few enough that the two threads finish close together.
inline constexpr std::uint64_t kTaskWindows = 8;

// What each thread makes at a time when a text is made whole: a few hundred windows' text,
// large beside the cost of a hand-out, small beside a whole listing.
inline constexpr std::uint64_t kWholeTextChunk = std::uint64_t{8} << 20;

// From this size on, room for a text is asked for in large pages, faulted in at once: below
// it the page faults cost too little to matter.
inline constexpr std::size_t kLargeText = std::size_t{64} << 20;

}  // namespace tavix::tuning
