#include "support/listing_reference.hpp"

#include <algorithm>
#include <cmath>

#include "oracle/number_reference.hpp"

namespace tavix::testing {

bool isPrimeNumber(std::int64_t m) {
    if (m < 2) {
        return false;
    }
    for (std::int64_t d = 2; d * d <= m; ++d) {
        if (m % d == 0) {
            return false;
        }
    }
    return true;
}

// The odd numbers of the interval crossed off by the odd primes up to its square root, which
// a plain sieve finds first.
std::vector<std::uint64_t> primesBetween(std::uint64_t low, std::uint64_t high) {
    static const std::vector<std::uint64_t> oddPrimes = [] {
        std::vector<std::uint64_t> primes;
        std::vector<bool> composite(46341);
        for (std::uint64_t n = 3; n < composite.size(); n += 2) {
            if (!composite[n]) {
                primes.push_back(n);
                for (std::uint64_t m = n * n; m < composite.size(); m += 2 * n) {
                    composite[m] = true;
                }
            }
        }
        return primes;
    }();
    std::vector<std::uint64_t> primes;
    if (low <= 2 && 2 <= high) {
        primes.push_back(2);
    }
    const std::uint64_t first = std::max<std::uint64_t>(low, 3) | 1;
    if (first > high) {
        return primes;
    }
    std::vector<char> composite((high - first) / 2 + 1);  // byte i: the number first + 2i
    for (const std::uint64_t p : oddPrimes) {
        if (p * p > high) {
            break;
        }
        std::uint64_t m = std::max(p * p, (first + p - 1) / p * p);
        m += m % 2 == 0 ? p : 0;
        for (; m <= high; m += 2 * p) {
            composite[(m - first) / 2] = 1;
        }
    }
    for (std::uint64_t i = 0; i < composite.size(); ++i) {
        if (!composite[i]) {
            primes.push_back(first + 2 * i);
        }
    }
    return primes;
}

std::string listingBetween(std::uint64_t low, std::uint64_t high) {
    const std::vector<std::uint64_t> primes = primesBetween(low, high);
    std::string list;
    for (const std::uint64_t p : primes) {
        list += (list.empty() ? "" : ", ") + std::to_string(p);
    }
    return withCountLine(primes.size(), list);
}

std::string withCountLine(std::uint64_t count, const std::string& list) {
    if (count == 0) {
        return "Não há números primos neste intervalo";
    }
    if (count == 1) {
        return "Total de 1 número primo: " + list;
    }
    return "Total de " + std::to_string(count) + " números primos: " + list;
}

std::string ListingReference::text() const {
    return overflows ? list : withCountLine(count, list);
}

// The loop finds a candidate prime exactly when its rounded value is prime and is not a 5
// that the candidate itself is not.
ListingReference referenceListing(double first, double last, const NumberFormat& format) {
    ListingReference reference;
    for (double n = first; n <= last; n = n + 1) {
        const double rounded = std::nearbyint(n);  // the default rounding: half to even
        if (rounded > 2147483647.0) {
            reference.overflows = true;
            break;
        }
        const auto m = static_cast<std::int64_t>(rounded);
        if (isPrimeNumber(m) && (m != 5 || n == 5)) {
            if (!reference.list.empty()) {
                reference.list += ", ";
            }
            reference.list += oracle::printNumber(n, format);
            ++reference.count;
        }
    }
    return reference;
}

}  // namespace tavix::testing
