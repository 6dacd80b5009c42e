#include "core/engines/trial_division.hpp"

#include <bit>
#include <cmath>
#include <cstddef>

namespace tavix {

namespace {

// 46341² > 2^31 − 1, so the primes below it are all the trial divisors a whole number of
// the 32-bit range needs.
constexpr std::uint32_t kSieveLimit = 46341;

// An odd prime with what makes "p divides n" one multiplication: for odd p, n is a multiple
// of p exactly when n × p⁻¹ (mod 2^32) is at most (2^32 − 1) / p, and that product is then
// the quotient n / p.
struct OddPrime {
    std::uint32_t p;
    std::uint32_t inverse;
    std::uint32_t maxQuotient;
};

constexpr bool divides(const OddPrime& prime, std::uint32_t n) {
    return n * prime.inverse <= prime.maxQuotient;
}

constexpr std::array<bool, kSieveLimit> sieveToLimit() {
    std::array<bool, kSieveLimit> composite{};
    for (std::uint32_t i = 2; i * i < kSieveLimit; ++i) {
        if (composite[i]) {
            continue;
        }
        for (std::uint32_t j = i * i; j < kSieveLimit; j += i) {
            composite[j] = true;
        }
    }
    return composite;
}

constexpr std::size_t countOddPrimes() {
    const auto composite = sieveToLimit();
    std::size_t count = 0;
    for (std::uint32_t i = 3; i < kSieveLimit; i += 2) {
        count += composite[i] ? 0 : 1;
    }
    return count;
}

template <std::size_t Count>
constexpr std::array<OddPrime, Count> oddPrimeTable() {
    const auto composite = sieveToLimit();
    std::array<OddPrime, Count> table{};
    std::size_t k = 0;
    for (std::uint32_t i = 3; i < kSieveLimit; i += 2) {
        if (composite[i]) {
            continue;
        }
        // Newton's iteration doubles the correct low bits of the inverse each time; an odd
        // number is its own inverse to 3 bits, so four steps reach 48 > 32.
        std::uint32_t inverse = i;
        for (int step = 0; step < 4; ++step) {
            inverse *= 2u - i * inverse;
        }
        table[k++] = {i, inverse, 0xFFFFFFFFu / i};
    }
    return table;
}

constexpr auto kOddPrimes = oddPrimeTable<countOddPrimes()>();

static_assert(kOddPrimes.front().p == 3 && kOddPrimes.back().p == 46337);
static_assert(divides(kOddPrimes[0], 2147483646u) && !divides(kOddPrimes[0], 2147483647u));

}  // namespace

bool isPrimeNumber(std::uint32_t n) {
    if (n < 4) {
        return n >= 2;
    }
    if (n % 2 == 0) {
        return false;
    }
    for (const OddPrime& prime : kOddPrimes) {
        if (prime.p * prime.p > n) {
            break;
        }
        if (divides(prime, n)) {
            return false;
        }
    }
    return true;
}

PrimeFactors primeFactorsOf(std::uint32_t n) {
    PrimeFactors factors;
    if (n == 0) {
        return factors;
    }
    const int twos = std::countr_zero(n);
    for (int i = 0; i < twos; ++i) {
        factors.primes[factors.count++] = 2;
    }
    n >>= twos;
    for (const OddPrime& prime : kOddPrimes) {
        if (prime.p * prime.p > n) {
            break;
        }
        while (divides(prime, n)) {
            factors.primes[factors.count++] = prime.p;
            n *= prime.inverse;
        }
    }
    if (n > 1) {
        factors.primes[factors.count++] = n;
    }
    return factors;
}

}  // namespace tavix
