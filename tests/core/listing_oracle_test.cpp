// The listing against the literal loop: the same visible story, event by event, for every
// input the literal loop can finish quickly.
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "oracle/listing_literal.hpp"
#include "support/pasted_texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::exactText;
using testing::RecordingWindow;
using Click = void (*)(Window&, const NumberFormat&);

std::vector<std::string> storyOf(Click click, const std::string& ini, const std::string& last,
                                 const NumberFormat& format) {
    RecordingWindow window(testing::withInterval(ini, last));
    click(window, format);
    return window.story();
}

// Returns whether they agree, so that a loop can stop at the first difference.
bool sameAsLiteral(const std::string& ini, const std::string& last, const NumberFormat& format) {
    const auto fast = storyOf(cmdCalc_Click, ini, last, format);
    const auto literal = storyOf(oracle::cmdCalc_Click_literal, ini, last, format);
    EXPECT_EQ(fast, literal) << "[" << ini << "] to [" << last << "], decimal separator "
                             << format.decimalSeparator;
    return fast == literal;
}

const NumberFormat kFormats[] = {fullStopFormat(), decimalCommaFormat()};

TEST(ListingAgainstLiteral, SmallIntervals) {
    for (const NumberFormat& format : kFormats) {
        for (int first = -3; first <= 12; ++first) {
            for (int last = -3; last <= 40; ++last) {
                ASSERT_TRUE(sameAsLiteral(std::to_string(first), std::to_string(last), format));
            }
        }
    }
}

TEST(ListingAgainstLiteral, IntervalsUpTo3000) {
    const int lengths[] = {0, 1, 2, 3, 6, 17, 58, 121, 299, 300};
    int i = 0;
    for (int first = 0; first <= 3000; first += 11) {
        for (int length : lengths) {
            const int last = std::min(first + length, 3000);
            ASSERT_TRUE(
                sameAsLiteral(std::to_string(first), std::to_string(last), kFormats[i++ % 2]));
        }
    }
}

TEST(ListingAgainstLiteral, TextsOfEveryShape) {
    const char* const texts[] = {
        "",      " ",    "0",     "7",     " 7 ",    "+7",     "-7",       "007", "1e1",
        "1.5e1", "2E+1", "25e-1", "7.5",   "7,5",    "1.000",  "1,000",    "6.6", "6,6",
        "5.3",   "-0",   "1 3",   "12abc", "abc",    "--5",    "2.",       ".5",  "3",
        "2",     "2.0",  "3.0",   "1e-9",  "2.9999", "3.0001", "4.999999", "30",  "31.4"};
    for (const NumberFormat& format : kFormats) {
        for (const char* first : texts) {
            for (const char* last : texts) {
                ASSERT_TRUE(sameAsLiteral(first, last, format));
            }
        }
    }
}

// Pasted numbers: negatives, fractions of every kind (x.5 included), as the full stop or the
// locale writes them.
TEST(ListingAgainstLiteral, RandomPastedNumbers) {
    std::mt19937_64 random(20240611);
    const double fractions[] = {0, 0, 0.5, 0.25, 0.3, 0.7, 0.49999999, 0.50000001, 1e-9, 0.999};
    std::uniform_real_distribution<double> anywhere(-40, 2700);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(fractions) - 1);
    for (int i = 0; i < 600; ++i) {
        const double first = std::floor(anywhere(random)) + fractions[pick(random)];
        const double last = std::floor(first) + length(random) + fractions[pick(random)];
        const NumberFormat& format = kFormats[i % 2];
        ASSERT_TRUE(sameAsLiteral(exactText(first), exactText(last), format));
    }
}

// Where n + 1 leaves a binade, a fraction's lowest bit may be rounded away: the candidates
// after it carry another fraction, or none.
TEST(ListingAgainstLiteral, FractionsAcrossBinades) {
    for (int exponent = 3; exponent <= 11; ++exponent) {
        const double top = std::ldexp(1.0, exponent);
        const double ulp = std::ldexp(1.0, exponent - 53);  // of the binade below top
        const double fractions[] = {1 - ulp,     0.5 - ulp,     0.5 + ulp, ulp,
                                    1 - 3 * ulp, 0.5 - 3 * ulp, 0.3,       0.7};
        for (double fraction : fractions) {
            for (double below : {1.0, 2.0, 5.0}) {
                const double first = top - below + fraction;
                ASSERT_TRUE(
                    sameAsLiteral(exactText(first), exactText(first + 40), fullStopFormat()));
            }
        }
    }
}

// Up to the end of the 32-bit range, where each candidate the literal loop meets is composite
// at once or overflows.
TEST(ListingAgainstLiteral, EndOfTheRange) {
    const char* const cases[][2] = {
        {"2147483640", "2147483646"},
        {"2147483644", "2147483646.4"},
        {"2147483648", "2147483650"},
        {"2147483647.5", "2147483650"},
        {"2147483648.5", "2147483649"},
        {"1e300", "1e300"},
        {"1e300", "1e301"},
        {"2147483646", "2147483646"},
        {"2147483646.5", "2147483650"},
        {"9007199254740993", "9007199254740993"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(sameAsLiteral(c[0], c[1], fullStopFormat()));
    }
}

}  // namespace
}  // namespace tavix
