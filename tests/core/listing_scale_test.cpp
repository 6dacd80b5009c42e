// The listing on large numbers, where the literal loop would take hours: prime counts that
// are known, and lists checked against a reference that steps the candidates exactly as the
// loop does but tests each by trial division up to its square root.
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "core/computations.hpp"
#include "core/engines/prime_sieve.hpp"
#include "support/listing_reference.hpp"
#include "support/pasted_texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::exactText;
using testing::ListingReference;
using testing::RecordingWindow;
using testing::referenceListing;

// The calls of a long listing are not kept.
RecordingWindow clicked(const std::string& ini, const std::string& last,
                        const NumberFormat& format = fullStopFormat()) {
    return testing::listed(ini, last, format, false);
}

// Checks the listing of [first, last] (first ≥ 5) against the reference.
void expectReference(double first, double last, const NumberFormat& format = fullStopFormat()) {
    const ListingReference reference = referenceListing(first, last, format);
    const RecordingWindow window = clicked(exactText(first), exactText(last), format);
    const std::string where = exactText(first) + " to " + exactText(last);
    EXPECT_EQ(window.state.txt, reference.text()) << where;
    if (reference.overflows) {
        ASSERT_EQ(window.messages.size(), 1u) << where;
        EXPECT_EQ(window.messages[0].text, "Valor acima da memória.");
    } else {
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
    const ListingReference reference = referenceListing(2147383647, 2147483647, fullStopFormat());
    EXPECT_EQ(window.state.txt, reference.list);

    expectReference(2147483600, 2147483650);
    expectReference(2147483600.3, 2147483650);
    expectReference(2147483600.7, 1e300);
    expectReference(2147483647.4, 2147483649);
    expectReference(2147483646.6, 2147483646.6);
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
