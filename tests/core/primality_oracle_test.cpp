// The primality check against its literal loop, compared by what a person sees.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "oracle/verify_literal.hpp"
#include "support/pasted_texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using oracle::PassBudget;
using oracle::PassBudgetExceeded;
using testing::RecordingWindow;

const NumberFormat kFormats[] = {fullStopFormat(), decimalCommaFormat()};

// Whether the check agrees with the literal loop on this input; false when the loop would
// need more passes than the budget.
bool sameAsLiteral(const std::string& text, const NumberFormat& format, int variant,
                   std::uint64_t budget = 100'000'000) {
    RecordingWindow fast(testing::windowOnShow(variant, text));
    cmdV_Click(fast, format);

    RecordingWindow literal(testing::windowOnShow(variant, text));
    PassBudget passes(budget);
    try {
        oracle::literalVerify(literal, format, passes);
    } catch (const PassBudgetExceeded&) {
        return false;
    }
    EXPECT_EQ(fast.story(), literal.story())
        << "txtV [" << text << "] decimal [" << format.decimalSeparator << "]";
    return true;
}

TEST(cmdV_ClickAgainstLiteralLoop, EveryWholeNumberUpTo20000) {
    for (const NumberFormat& format : kFormats) {
        for (int n = -50; n <= 20000; ++n) {
            ASSERT_TRUE(sameAsLiteral(std::to_string(n), format, n + 50)) << n;
        }
    }
}

TEST(cmdV_ClickAgainstLiteralLoop, PastedTexts) {
    std::vector<std::string> texts = {"",       "abc", " 7 ",   "007",     "1 3", "1e3",  "25E-1",
                                      "1,5",    "1.5", "1.000", ".5",      "-0",  "-0.4", "1e400",
                                      "1e400x", "+13", "13-",   "9,999.5", "0.5", "1.5",  "4.5"};
    texts = testing::withRandomPastedNumbers(std::move(texts), 20240611);
    for (const NumberFormat& format : kFormats) {
        int variant = 0;
        for (const std::string& text : texts) {
            ASSERT_TRUE(sameAsLiteral(text, format, variant++)) << text;
            const std::string comma = testing::withCommas(text);
            ASSERT_TRUE(sameAsLiteral(comma, format, variant++)) << comma;
        }
    }
}

TEST(cmdV_ClickAgainstLiteralLoop, LargeNumbersWithinABudgetOfPasses) {
    const char* texts[] = {
        "2147483647",   "2147483629",   "2147483587", "1073741789",  "2147117569",  "2147302921",
        "2147395600",   "2147483646",   "2147483645", "2147483644",  "1073741824",  "1162261467",
        "2147210123",   "2147483648",   "4294967296", "-2147483648", "-2147483649", "2147483646.5",
        "2147483645.5", "2147483647.5", "1e15",       "-1e15",
    };
    // The primes need about n / 2 passes: the literal loop has no answer for them in time;
    // the check's own tests hold their verdicts.
    std::vector<std::string> unanswered;
    for (const char* text : texts) {
        for (const NumberFormat& format : kFormats) {
            if (!sameAsLiteral(text, format, 1, 1'000'000))
                unanswered.push_back(text);
        }
    }
    EXPECT_EQ(unanswered,
              (std::vector<std::string>{"2147483647", "2147483647", "2147483629", "2147483629",
                                        "2147483587", "2147483587", "1073741789", "1073741789"}));
}

}  // namespace
}  // namespace tavix
