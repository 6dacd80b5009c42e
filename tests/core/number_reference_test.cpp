// The number operations held against the references the literal loops use, which are written
// from the same rules with no code in common: over tables of the edges and over random
// texts and numbers, in the full-stop and the decimal-comma formats. Whatever the two
// disagree on would otherwise be on both sides of every comparison with a literal loop.
#include "oracle/number_reference.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/number_values.hpp"
#include "core/texts.hpp"

namespace tavix {
namespace {

const NumberFormat kFormats[] = {fullStopFormat(), decimalCommaFormat(), {",", "\u00a0"}};

// What an operation gave: a value, or the number of the error it raised.
template <typename T>
struct Outcome {
    std::optional<T> value;
    int error = 0;

    bool operator==(const Outcome&) const = default;
};

template <typename T>
std::ostream& operator<<(std::ostream& out, const Outcome<T>& outcome) {
    if (outcome.value)
        return out << ::testing::PrintToString(*outcome.value);
    return out << "error " << outcome.error;
}

// The operation's outcome, its error numbered as the program (errorNumberOf) or the reference
// (oracle::errorNumber) numbers it.
template <typename F>
auto outcome(F operation, int (*numberOf)(const std::exception&) noexcept)
    -> Outcome<decltype(operation())> {
    try {
        return {operation(), 0};
    } catch (const std::exception& error) {
        return {std::nullopt, numberOf(error)};
    }
}

std::string hex(double x) {
    char bits[40];
    std::snprintf(bits, sizeof bits, "%a", x);
    return bits;
}

// Texts a user may paste: numbers in every shape, with blanks anywhere, separators of both
// formats, exponents, signs, letters, and bytes of other scripts.
class PastedText {
  public:
    explicit PastedText(unsigned seed) : random_(seed) {}

    std::string operator()() {
        switch (pick(4)) {
            case 0:
                return noise();
            case 1:
                return number(pick(20) + 1);
            case 2:
                return number(pick(400) + 1);
            default:
                return scatterBlanks(number(pick(18) + 1));
        }
    }

  private:
    std::mt19937 random_;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::string digits(int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<char>('0' + pick(10)));
        return out;
    }
    std::string noise() {
        static const char* const pieces[] = {"0", "1", "5", "9", "7",  ".",  ",",    "e",
                                             "E", "+", "-", " ", "\t", "\n", "\r",   "x",
                                             "0", "2", "3", "8", "4",  "6",  "\xa0", "\u00a0"};
        std::string out;
        for (int i = pick(14); i > 0; --i)
            out += pieces[pick(24)];
        return out;
    }
    std::string separator() {
        static const char* const marks[] = {".", ",", "\u00a0"};
        return marks[pick(3)];
    }
    std::string number(int length) {
        std::string out;
        if (pick(3) == 0)
            out += pick(2) ? "-" : "+";
        out += pick(4) == 0 ? "" : digits(1 + pick(length));
        while (pick(4) == 0)
            out += separator() + digits(pick(5));
        if (pick(2))
            out += separator() + digits(pick(length));
        if (pick(3) == 0) {
            out += pick(2) ? "e" : "E";
            if (pick(2))
                out += pick(2) ? "-" : "+";
            out += digits(pick(4));
            if (pick(4) == 0)
                out += pick(2) ? "308" : "324";
        }
        if (pick(5) == 0)
            out += noise();
        if (pick(5) == 0)
            out = std::string(pick(3), ' ') + out + std::string(pick(3), pick(2) ? ' ' : '\t');
        return out;
    }
    std::string scatterBlanks(std::string text) {
        static const char blanks[] = {' ', '\t', '\n'};
        for (int i = pick(4); i > 0; --i)
            text.insert(pick(static_cast<int>(text.size()) + 1), 1, blanks[pick(3)]);
        return text;
    }
};

// Texts at the edges of the rules and of a double.
// clang-format off
const std::vector<std::string> kEdgeTexts = {
    "", " ", "007", "12abc", "1 3", "7.5", "1,5", "1.000", "1.000,5",
    "-7", "+7", "- 4 2", "--5", "+-5", "5-", ".5", "5.", ".", "-", "1.2.3",
    "1e3", "1E+3", "25E-1", "1 e 2", "1E", "1E+", "1e-", "e5", "2E3x",
    "\r5", "5\r", " \t12\t ", "\n12", "12\n", "0x10", "1,,000", ",5", "5,",
    "1\u00a0000,5", "1\u00a0", "\xff", "0.000", "-0",
    "2147483647", "2147483648", "2147483647.5", "-2147483648.5", "9007199254740993",
    "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
    "1e309", "-1e400",
    "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
    "1e-400", "0e999999999999", "1e99999999999999999999999",
    "1.00000000000000011102230246251565404236316680908203125",
    "1.00000000000000011102230246251565404236316680908203126",
    "0.1000000000000000000000000000000000001",
    std::string(400, '9'), std::string(1000, '0') + "1", "0." + std::string(330, '0') + "1e330",
    "1." + std::string(2000, '0') + "1"};
// clang-format on

std::vector<std::string> pastedTexts(unsigned seed, int count) {
    std::vector<std::string> texts = kEdgeTexts;
    PastedText next(seed);
    for (int i = 0; i < count; ++i)
        texts.push_back(next());
    return texts;
}

TEST(NumberReference, ReadingATextGivesTheSameNumber) {
    for (const std::string& text : pastedTexts(11, 200'000)) {
        const auto program = outcome([&] { return TextToNumber(text); }, errorNumberOf);
        const auto reference =
            outcome([&] { return oracle::readNumber(text); }, oracle::errorNumber);
        ASSERT_EQ(program, reference) << "text [" << text << "]";
    }
}

TEST(NumberReference, TheNumericTestAgreesInEveryFormat) {
    const std::vector<std::string> texts = pastedTexts(12, 200'000);
    for (const NumberFormat& format : kFormats) {
        int numeric = 0;
        for (const std::string& text : texts) {
            const bool program = IsNumericText(text, format);
            ASSERT_EQ(program, oracle::isNumber(text, format))
                << "text [" << text << "] decimal [" << format.decimalSeparator << "] group ["
                << format.groupSeparator << "]";
            numeric += program ? 1 : 0;
        }
        // Both answers come up often enough to mean something.
        EXPECT_GT(numeric, 40'000) << format.decimalSeparator;
        EXPECT_LT(numeric, 160'000) << format.decimalSeparator;
    }
}

// Doubles of every kind: whole and not, halves, ties at the sixteenth digit, the smallest
// and the largest, random bits.
std::vector<double> doublesToPrint(unsigned seed, int count) {
    // clang-format off
    std::vector<double> values = {
        0.0, -0.0, 2, -3, 7.5, 0.9375, 0.1 + 0.2, 1.0 / 3.0, 2.0 / 3.0, 1e6, 2147483647,
        2147483646.3, 1e-4, 9.99999999999999e-5, 0.000099999999999999995, 1e-5, 1e-20,
        123456789012345.5, 100000000000000.5, 999999999999999.9, 999999999999999.4,
        1234567890123456.5, 4503599627370495.5, 9007199254740992.0, 9.3e18, -9.3e18, 1e300,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::epsilon()};
    // clang-format on
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int> kind(0, 4);
    for (int i = 0; i < count; ++i) {
        double x = 0;
        switch (kind(random)) {
            case 0: {  // any finite bits
                const std::uint64_t bits = random();
                std::memcpy(&x, &bits, sizeof x);
                if (!std::isfinite(x))
                    x = 1.5;
                break;
            }
            case 1:  // a whole number and a binary fraction
                x = std::ldexp(static_cast<double>(random() >> 11),
                               -static_cast<int>(random() % 64));
                break;
            case 2:  // fifteen digits and a half: a tie at the sixteenth
                x = static_cast<double>(random() % 900'000'000'000'000 + 100'000'000'000'000) + 0.5;
                x = std::ldexp(x, -static_cast<int>(random() % 50));
                break;
            case 3:  // a quotient of the factor table
                x = static_cast<double>(random() % 2147483648u) /
                    static_cast<double>(random() % 1000 + 2);
                break;
            default:  // fifteen to seventeen digits of a decimal text
                x = std::strtod(("0." + std::to_string(random() % 100'000'000'000'000'000) + "e" +
                                 std::to_string(static_cast<int>(random() % 40) - 20))
                                    .c_str(),
                                nullptr);
                break;
        }
        values.push_back(random() % 2 ? -x : x);
    }
    return values;
}

TEST(NumberReference, PrintingANumberGivesTheSameText) {
    for (const double x : doublesToPrint(13, 200'000)) {
        for (const NumberFormat& format : kFormats) {
            ASSERT_EQ(NumberToText(x, format), oracle::printNumber(x, format))
                << hex(x) << " decimal [" << format.decimalSeparator << "]";
        }
    }
}

// Operands of a remainder: whole numbers and halves around 0 and the ends of the range,
// fractions, numbers far out, and what is no number at all.
std::vector<double> remainderOperands(unsigned seed, int count) {
    std::vector<double> values;
    for (const double edge : {0.0, 1.0, 2.0, 3.0, 2147483647.0, 2147483648.0, 1073741824.0}) {
        for (const double step : {-1.5, -1.0, -0.6, -0.5, -0.4, 0.0, 0.4, 0.5, 0.6, 1.0, 1.5}) {
            values.push_back(edge + step);
            values.push_back(-edge + step);
        }
    }
    for (const double x :
         {std::nextafter(2147483647.5, 0.0), std::nextafter(-2147483648.5, 0.0),
          std::nextafter(0.5, 0.0), std::nextafter(0.5, 1.0), 4294967296.0, -4294967296.0, 1e300,
          -1e300, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        values.push_back(x);
    }
    std::mt19937_64 random(seed);
    for (int i = 0; i < count; ++i) {
        const auto whole =
            static_cast<double>(static_cast<std::int64_t>(random() % 4294967400u) - 2147483700);
        switch (random() % 4) {
            case 0:
                values.push_back(whole);
                break;
            case 1:
                values.push_back(whole + 0.5);
                break;
            case 2:
                values.push_back(static_cast<double>(random() % 2000) / 4.0 - 250.0);
                break;
            default:
                values.push_back(whole / static_cast<double>(random() % 1000 + 1));
                break;
        }
    }
    return values;
}

TEST(NumberReference, TheRemainderAgreesOnValueAndError) {
    const std::vector<double> dividends = remainderOperands(14, 2000);
    const std::vector<double> divisors = remainderOperands(15, 300);
    for (const double a : dividends) {
        for (const double b : divisors) {
            const auto program = outcome([&] { return IntegerRemainder(a, b); }, errorNumberOf);
            const auto reference =
                outcome([&] { return oracle::remainder32(a, b); }, oracle::errorNumber);
            ASSERT_EQ(program, reference)
                << hex(a) << " (" << a << ") mod " << hex(b) << " (" << b << ")";
        }
    }
}

TEST(NumberReference, RoundingGoesHalfToEvenEverywhere) {
    std::vector<double> values = remainderOperands(16, 200'000);
    for (const double x : doublesToPrint(17, 100'000))
        values.push_back(x);
    for (int k = -100'000; k <= 100'000; ++k)
        values.push_back(k / 2.0);
    for (const double x : values) {
        if (std::isnan(x))
            continue;
        ASSERT_EQ(hex(roundHalfToEven(x)), hex(oracle::roundHalfEven(x))) << x;
    }
}

// Every failure keeps its number through a trap, and a message tells 6 from the rest.
TEST(NumberReference, ErrorNumbersAndTheirMessages) {
    struct Failure {
        const char* what;
        void (*raise)();
        int number;  // 0: some number other than 6
    };
    const Failure failures[] = {
        {"a remainder out of range", [] { IntegerRemainder(2147483648.0, 2); }, 6},
        {"a text beyond a double", [] { TextToNumber("1e400"); }, 6},
        {"a divisor rounding to 0", [] { IntegerRemainder(7, 0.5); }, 11},
        {"no memory", [] { throw std::bad_alloc(); }, 7},
        {"anything else", [] { throw std::logic_error("x"); }, 0},
    };
    for (const Failure& failure : failures) {
        int number = 0;
        try {
            failure.raise();
            ADD_FAILURE() << failure.what << ": nothing raised";
        } catch (const std::exception& error) {
            number = errorNumberOf(error);
        }
        if (failure.number != 0) {
            EXPECT_EQ(number, failure.number) << failure.what;
        } else {
            EXPECT_NE(number, 6) << failure.what;
        }
        EXPECT_EQ(errorMessageFor(number),
                  number == 6 ? "Valor acima da memória." : "Ocorreu um erro.")
            << failure.what;
    }
}

}  // namespace
}  // namespace tavix
