#include "support/listing_reference.hpp"

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
