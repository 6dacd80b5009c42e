// The listing on large numbers, where the literal loop would take hours: prime counts that
// are known, and lists checked against a reference that steps the candidates exactly as the
// loop does but tests each by trial division up to its square root.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "core/engines/prime_sieve.hpp"
#include "oracle/number_reference.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using testing::WindowState;

RecordingWindow clicked(const std::string& ini, const std::string& last,
                        const NumberFormat& format = fullStopFormat()) {
    WindowState state;
    state.txtIni = ini;
    state.txtN = last;
    RecordingWindow window(state);
    window.recording = false;
    cmdCalc_Click(window, format);
    return window;
}

std::string exactText(double x) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

bool isPrime(std::int64_t m) {
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

// What the loop lists for candidates from `first` (at least 5) to `last`: each candidate is
// n := n + 1 on doubles, tested through its value rounded half to even, and the loop finds it
// prime exactly when that value is prime and is not a 5 that n itself is not.
struct Reference {
    std::string list;
    std::uint64_t count = 0;
    bool overflows = false;
};

Reference referenceFor(double first, double last, const NumberFormat& format) {
    Reference reference;
    for (double n = first; n <= last; n = n + 1) {
        const double rounded = std::nearbyint(n);  // the default rounding: half to even
        if (rounded > 2147483647.0) {
            reference.overflows = true;
            break;
        }
        const auto m = static_cast<std::int64_t>(rounded);
        if (isPrime(m) && (m != 5 || n == 5)) {
            if (!reference.list.empty()) {
                reference.list += ", ";
            }
            reference.list += oracle::printNumber(n, format);
            ++reference.count;
        }
    }
    return reference;
}

std::string countLine(std::uint64_t count, const std::string& list) {
    if (count == 0) {
        return "Não há números primos neste intervalo";
    }
    if (count == 1) {
        return "Total de 1 número primo: " + list;
    }
    return "Total de " + std::to_string(count) + " números primos: " + list;
}

// Checks the listing of [first, last] (first ≥ 5) against the reference.
void expectReference(double first, double last, const NumberFormat& format = fullStopFormat()) {
    const Reference reference = referenceFor(first, last, format);
    const RecordingWindow window = clicked(exactText(first), exactText(last), format);
    const std::string where = exactText(first) + " to " + exactText(last);
    if (reference.overflows) {
        EXPECT_EQ(window.state.txt, reference.list) << where;
        ASSERT_EQ(window.messages.size(), 1u) << where;
        EXPECT_EQ(window.messages[0].text, "Valor acima da memória.");
    } else {
        EXPECT_EQ(window.state.txt, countLine(reference.count, reference.list)) << where;
        EXPECT_TRUE(window.messages.empty()) << where;
    }
    EXPECT_EQ(window.state.focus, TextBox::txtIni);
    EXPECT_EQ(window.state.pointer, Pointer::Default);
}

std::uint64_t countOf(const std::string& txt) {
    const std::string prefix = "Total de ";
    EXPECT_EQ(txt.compare(0, prefix.size(), prefix), 0) << txt.substr(0, 60);
    return std::stoull(txt.substr(prefix.size()));
}

TEST(ListingAtScale, PrimeCountsBelowPowersOfTenSlow) {
    const std::uint64_t below[] = {4, 25, 168, 1229, 9592, 78498, 664579, 5761455, 50847534};
    std::string last = "1";
    for (std::uint64_t count : below) {
        last += "0";
        EXPECT_EQ(countOf(clicked("0", last).state.txt), count) << "below " << last;
    }
}

TEST(ListingAtScale, WholeRangeSlow) {
    const RecordingWindow window = clicked("0", "2147483647");
    const std::string& txt = window.state.txt;
    EXPECT_EQ(countOf(txt), 105097565u);
    EXPECT_EQ(txt.size(), 1203807730u);
    const std::string head = "Total de 105097565 números primos: 2, 3, 5, 7, 11, 13";
    const std::string tail = ", 2147483587, 2147483629, 2147483647";
    EXPECT_EQ(txt.substr(0, head.size()), head);
    EXPECT_EQ(txt.substr(txt.size() - tail.size()), tail);
}

// Past 2147483647 the list ends in an overflow, without its count line.
TEST(ListingAtScale, RunningPastTheRange) {
    const RecordingWindow window = clicked("2147383647", "2147483648");
    const Reference reference = referenceFor(2147383647, 2147483647, fullStopFormat());
    EXPECT_EQ(window.state.txt, reference.list);

    expectReference(2147483600, 2147483650);
    expectReference(2147483600.3, 2147483650);
    expectReference(2147483600.7, 1e300);
    expectReference(2147483647.4, 2147483649);
    expectReference(2147483646.6, 2147483646.6);
}

// An interval long enough for the two threads to share its windows between them: the
// whole text against a plain sieve of the same interval.
TEST(ListingAtScale, LongEnoughForTwoThreads) {
    const std::uint64_t first = 123456789;
    const std::uint64_t last = first + 3 * 8 * kWindowSpan;
    const auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(last))) + 1;
    std::vector<bool> composite(last - first + 1, false);
    for (std::uint64_t d = 2; d <= root; ++d) {
        for (std::uint64_t m = std::max(d * d, (first + d - 1) / d * d); m <= last; m += d)
            composite[m - first] = true;
    }
    std::string list;
    std::uint64_t count = 0;
    for (std::uint64_t n = first; n <= last; ++n) {
        if (!composite[n - first]) {
            list += (count++ == 0 ? "" : ", ") + std::to_string(n);
        }
    }
    const RecordingWindow window = clicked(std::to_string(first), std::to_string(last));
    EXPECT_TRUE(window.state.txt == countLine(count, list)) << window.state.txt.substr(0, 80);
}

// Windows and decades: where the sieve and the digit count of the numbers change.
TEST(ListingAtScale, AcrossWindowsAndDecades) {
    for (std::uint64_t window : {1u, 2u, 3u, 17u, 1000u, 2184u}) {
        const double edge = static_cast<double>(window * kWindowSpan);
        expectReference(edge - 300, edge + 300);
        expectReference(edge - 1, edge);
        expectReference(edge, edge + 1);
    }
    for (double decade = 10; decade <= 1e9; decade *= 10) {
        expectReference(std::max(5.0, decade - 200), decade + 200);
    }
}

TEST(ListingAtScale, RandomIntervals) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> where(5, 2147483647 - 20000);
    std::uniform_int_distribution<std::int64_t> length(0, 20000);
    for (int i = 0; i < 12; ++i) {
        const auto first = static_cast<double>(where(random));
        expectReference(first, first + static_cast<double>(length(random)));
    }
}

// Fractions on large candidates, across the binades where n + 1 rounds.
TEST(ListingAtScale, FractionsOnLargeCandidates) {
    for (int exponent : {20, 24, 30}) {
        const double top = std::ldexp(1.0, exponent);
        const double ulp = std::ldexp(1.0, exponent - 53);
        for (double fraction : {0.3, 0.7, 1 - ulp, 0.5 - ulp, 0.5 + ulp, ulp, 0.999999}) {
            const double first = top - 300 + fraction;
            expectReference(first, first + 600, fullStopFormat());
            expectReference(first, first + 600, decimalCommaFormat());
        }
    }
    expectReference(99999.6, 100100);
    expectReference(999999999.99999, 1000000100);
}

}  // namespace
}  // namespace tavix
