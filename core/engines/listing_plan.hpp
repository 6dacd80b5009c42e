// Which candidates the listing tests, and how it prints the ones it finds prime.
//
// The candidate n starts at the first number (5 when that is smaller) and grows by n := n + 1
// on doubles while n ≤ last. Each is tested through its value rounded half to even, so a
// pasted fraction stays with every candidate: 6.6 is tested as 7 and printed as "6,6", a
// candidate x.5 rounds to an even number, and 5.3 (rounded 5, yet not 5) is composite.
// A candidate that rounds beyond 2147483647 ends the listing in an overflow.
#pragma once

#include <cstdint>
#include <vector>

#include "core/engines/prime_text.hpp"
#include "core/number_values.hpp"

namespace tavix {

// Candidates start, start + 1, …, start + count − 1: each sum exact, so that it is the very
// value n := n + 1 reaches.
struct CandidateRun {
    double start = 0;
    std::uint64_t count = 0;
};

struct CandidatePlan {
    std::vector<CandidateRun> runs;  // every candidate that rounds into range, in order
    bool overflows = false;          // the next candidate is ≤ last and rounds out of range
};

// The candidates, run by run: within a binade adding 1 is exact; only where n + 1 crosses
// into the next binade may it round, and there the plan takes the rounded sum as the loop does.
CandidatePlan planCandidates(double first, double last);

struct ListingPlan {
    bool listsFive = false;            // 5 itself is a candidate (and a prime)
    std::vector<ListingPiece> pieces;  // the primes from 7 on, ascending
    bool overflows = false;
};

// The candidates turned into pieces of the list: the rounded values each run covers, cut
// where the printed whole part gains a digit, with the text of the fraction the run keeps.
ListingPlan planListing(double first, double last, const NumberFormat& format);

}  // namespace tavix
