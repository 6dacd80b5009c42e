// The factorization table against its literal loops (with the program's two mends to their
// endings), compared by what a person sees.
#include <algorithm>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "oracle/factor_literal.hpp"
#include "support/pasted_texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using oracle::PassBudget;
using oracle::PassBudgetExceeded;
using testing::RecordingWindow;

const NumberFormat kFormats[] = {fullStopFormat(), decimalCommaFormat()};

// Runs a click and keeps an error that escapes it in the story.
template <typename Click>
std::vector<std::string> storyOf(RecordingWindow& window, Click click) {
    try {
        click();
    } catch (const std::exception& error) {
        window.transcript.push_back(std::string("escaped ") + error.what());
    }
    return window.story();
}

const oracle::FactorOptions kFractionsFinish{.skipHopelessClimb = true};

// Whether the table agrees with the literal loops on this input; false when they would need
// more passes than the budget.
bool sameAsLiteral(const std::string& text, const NumberFormat& format, int variant,
                   std::uint64_t budget = 100'000'000, int failingWrite = 0) {
    auto failOnce = [failingWrite](RecordingWindow& window) {
        if (failingWrite == 0)
            return;
        window.beforeWrite = [&window, failingWrite, writes = 0]() mutable {
            (void)window;
            if (++writes == failingWrite)
                throw std::bad_alloc();
        };
    };
    RecordingWindow fast(testing::windowOnShow(variant, text));
    failOnce(fast);
    const auto fastStory = storyOf(fast, [&] { cmdFatorar_Click(fast, format); });

    RecordingWindow literal(testing::windowOnShow(variant, text));
    failOnce(literal);
    PassBudget passes(budget);
    std::vector<std::string> literalStory;
    try {
        literalStory = storyOf(
            literal, [&] { oracle::mendedFatorar(literal, format, passes, kFractionsFinish); });
    } catch (const PassBudgetExceeded&) {
        return false;
    }
    EXPECT_EQ(fastStory, literalStory)
        << "txtV [" << text << "] decimal [" << format.decimalSeparator << "] window "
        << variant % 5 << " failing write " << failingWrite;
    return true;
}

TEST(cmdFatorar_ClickAgainstLiteralLoops, EveryWholeNumberUpTo20000) {
    for (const NumberFormat& format : kFormats) {
        for (int n = -50; n <= 20000; ++n) {
            ASSERT_TRUE(sameAsLiteral(std::to_string(n), format, n + 50)) << n;
        }
    }
}

TEST(cmdFatorar_ClickAgainstLiteralLoops, PastedTexts) {
    std::vector<std::string> texts = {"",      "abc",   " 7 ",    "007",    "1 3",   "1e3",
                                      "25E-1", "1,5",   "1.5",    "1.000",  ".5",    "-0",
                                      "-0.4",  "1e400", "1e400x", "+12",    "12-",   "9,999.5",
                                      "0.5",   "7.5",   "4.5",    "1e-400", "0.0001"};
    texts = testing::withRandomPastedNumbers(std::move(texts), 20240612);
    for (const NumberFormat& format : kFormats) {
        int variant = 0;
        for (const std::string& text : texts) {
            ASSERT_TRUE(sameAsLiteral(text, format, variant++)) << text;
            const std::string comma = testing::withCommas(text);
            ASSERT_TRUE(sameAsLiteral(comma, format, variant++)) << comma;
        }
    }
}

TEST(cmdFatorar_ClickAgainstLiteralLoops, LargeNumbersWithinABudgetOfPasses) {
    const char* texts[] = {
        "2147483647",   "2147483629",   "2147483578",   "1073741789",   "2147117569",
        "2147302921",   "2147395600",   "2147483646",   "2147483645",   "2147483644",
        "1073741824",   "1162261467",   "2147210123",   "2147483648",   "4294967296",
        "2147483646.5", "2147483645.5", "2147483647.5", "2147117569.4", "1e15",
    };
    // The primes need about n / 2 passes, 2 × 1073741789 about 1073741789, 5 × 19 × 22605091
    // about 22605091: the literal loops have no answer for them in time; the table's own
    // tests hold their columns.
    std::vector<std::string> unanswered;
    for (const char* text : texts) {
        for (int variant = 0; variant < 4; ++variant) {
            if (!sameAsLiteral(text, kFormats[variant % 2], variant, 200'000)) {
                if (variant == 0)
                    unanswered.push_back(text);
            }
        }
    }
    EXPECT_EQ(unanswered, (std::vector<std::string>{"2147483647", "2147483629", "2147483578",
                                                    "1073741789", "2147483645"}));
}

TEST(cmdFatorar_ClickAgainstLiteralLoops, AnErrorAtAnyWrite) {
    for (const char* text : {"360", "97", "7.5", "12.2", "2147483646", "2147483648", "0", "abc"}) {
        for (int failingWrite = 1; failingWrite <= 24; ++failingWrite) {
            ASSERT_TRUE(
                sameAsLiteral(text, fullStopFormat(), failingWrite, 1'000'000, failingWrite));
        }
    }
}

// A pasted fraction never divides down to exactly 1: once its quotient rounds to 1, no f
// divides it again, and f climbs one by one until the remainder overflows at 2147483648.
// Here the whole climb runs, without a shortcut and without the program's mends, which
// change only the endings of 1, 2, 3 and numbers below 4.
TEST(cmdFatorar_ClickAgainstLiteralLoops, TheWholeClimbOfPastedFractionsSlow) {
    const struct {
        const char* text;
        NumberFormat format;
        int rows;
    } cases[] = {
        {"7.5", fullStopFormat(), 3},       // 7,5 / 3,75 / 1,875 over 2 / 2 / 2
        {"12.2", decimalCommaFormat(), 3},  // 12,2 / 6,1 / 3,05 over 2 / 2 / 3
    };
    for (const auto& c : cases) {
        RecordingWindow fast(testing::windowOnShow(1, c.text));
        cmdFatorar_Click(fast, c.format);
        RecordingWindow literal(testing::windowOnShow(1, c.text));
        PassBudget passes;
        oracle::literalFatorar(literal, c.format, passes);
        EXPECT_EQ(fast.story(), literal.story()) << c.text;
        // Every f up to 2147483648 was tried.
        EXPECT_GT(passes.used(), 2147483648u) << c.text;
        EXPECT_EQ(std::count(fast.state.lblFator.begin(), fast.state.lblFator.end(), '\r'),
                  c.rows - 1)
            << c.text;
    }
}

TEST(FatorarNumeroAgainstLiteralLoop, CalledOnItsOwn) {
    // Numbers the click never hands over, and tables already started.
    for (const char* text : {"1", "12", "-12", "-1", "-7.5", "7.5", "1.2", "2147483646",
                             "2147483648", "-2147483648", "97", "1e400"}) {
        for (int variant = 0; variant < 4; ++variant) {
            RecordingWindow fast(testing::windowOnShow(variant, text));
            FatorarNumero(fast, fullStopFormat());
            RecordingWindow literal(testing::windowOnShow(variant, text));
            PassBudget passes(100'000'000);
            ASSERT_NO_THROW(
                oracle::literalFatorarNumero(literal, fullStopFormat(), passes, kFractionsFinish))
                << text;
            EXPECT_EQ(fast.story(), literal.story()) << "txtV [" << text << "] window " << variant;
        }
    }
}

}  // namespace
}  // namespace tavix
