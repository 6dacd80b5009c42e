// Trial division of one whole number of the 32-bit range, bounded by its square root.
//
// The primality check and the factorization table climb their divisors one by one; for a
// whole number that climb can only stop at its smallest prime factor, and it finds none
// below the square root exactly when the number is prime. These functions give the same
// answers with the primes up to 46337 (every whole number below 2^31 is prime or has a
// prime factor that small), so they cost microseconds where the climb costs seconds.
#pragma once

#include <array>
#include <cstdint>

namespace tavix {

// Whether n (at most 2147483647) is a prime number; 0 and 1 are not.
bool isPrimeNumber(std::uint32_t n);

// The prime factors of n (1 to 2^31) in non-decreasing order, each as often as it
// divides n; none for 1.
struct PrimeFactors {
    std::array<std::uint32_t, 32> primes{};
    int count = 0;

    const std::uint32_t* begin() const { return primes.data(); }
    const std::uint32_t* end() const { return primes.data() + count; }
};
PrimeFactors primeFactorsOf(std::uint32_t n);

}  // namespace tavix
