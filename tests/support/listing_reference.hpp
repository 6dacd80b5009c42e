// What the listing writes, worked out the short way: every candidate stepped exactly as the
// loop steps it (n := n + 1 on doubles), and tested through its value rounded half to even by
// trial division up to its square root. For intervals too long for the literal loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/number_values.hpp"

namespace tavix::testing {

struct ListingReference {
    std::string list;         // the primes found, ", " between them
    std::uint64_t count = 0;  // how many
    bool overflows = false;   // a candidate rounded past 2147483647
    // The text of txt: the list behind its count line, or the list alone after an overflow.
    std::string text() const;
};

// The candidates from `first` (at least 5) to `last`.
ListingReference referenceListing(double first, double last, const NumberFormat& format);

// The count line in front of a list, as the window shows it.
std::string withCountLine(std::uint64_t count, const std::string& list);

// By trial division up to the square root.
bool isPrimeNumber(std::int64_t m);

// The primes of [low, high] (high below 2^31), by a sieve of Eratosthenes of their own.
std::vector<std::uint64_t> primesBetween(std::uint64_t low, std::uint64_t high);
// The window's text for the whole numbers from `low` to `high`: count line and primes.
std::string listingBetween(std::uint64_t low, std::uint64_t high);

}  // namespace tavix::testing
