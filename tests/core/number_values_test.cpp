#include "core/number_values.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace tavix {
namespace {

// The number of the error `operation` raises; 0 when it raises none.
template <typename Operation>
int raisedNumber(Operation operation) {
    try {
        operation();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(TextToNumber, ReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},
        {"007", 7},
        {"12abc", 12},
        {"1 3", 13},
        {"7.5", 7.5},
        {"1,5", 1},
        {"-7", -7},
        {"+7", 7},
        {" \t\n42", 42},
        {"- 4 2", -42},
        {".5", 0.5},
        {"5.", 5},
        {"1.2.3", 1.2},
        {"1e3", 1000},
        {"1E+3", 1000},
        {"25E-1", 2.5},
        {"1 e 2", 100},
        {"1E", 1},
        {"1E+", 1},
        {"2E3x", 2000},
        {"abc", 0},
        {"--5", 0},
        {"\r5", 0},
        {"0.000", 0},
        {"2147483648", 2147483648.0},
        {"1e-400", 0},
        {"0e999999999999", 0},
        {"9007199254740993", 9007199254740992.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToNumber(c.text), c.value) << "text [" << c.text << "]";
    }
}

TEST(TextToNumber, RoundsLongTextsCorrectly) {
    // 0.1 written with many digits still reads as the nearest double.
    EXPECT_EQ(TextToNumber("0.1000000000000000000000000000000000001"), 0.1);
    std::string longOne = "1." + std::string(2000, '0') + "1";
    EXPECT_EQ(TextToNumber(longOne), 1.0);
    // The halfway point between 1 and the next double, then a digit far away breaks the tie.
    std::string half = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_EQ(TextToNumber(half), 1.0);
    EXPECT_EQ(TextToNumber(half + std::string(900, '0') + "1"), std::nextafter(1.0, 2.0));
}

TEST(TextToNumber, NumbersBeyondADoubleOverflow) {
    EXPECT_THROW(TextToNumber("1e400"), OverflowError);
    EXPECT_THROW(TextToNumber("-1e400"), OverflowError);
    EXPECT_THROW(TextToNumber(std::string(1'000'000, '9')), OverflowError);
    EXPECT_THROW(TextToNumber("1e99999999999999999999999"), OverflowError);
    EXPECT_EQ(TextToNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(TextToNumber(std::string(1'000'000, ' ') + "5"), 5);
    EXPECT_EQ(TextToNumber("0." + std::string(1'000'000, '0') + "1"), 0);
}

TEST(IsNumericText, FullStopFormat) {
    const NumberFormat format = fullStopFormat();
    for (const char* yes : {"12", "007", " 12 ", "\t12", "-5", "+5", "7.5", ".5", "5.", "1,000",
                            "1,5", "1e5", "1E-5", "2147483648", "1e400"}) {
        EXPECT_TRUE(IsNumericText(yes, format)) << yes;
    }
    for (const char* no :
         {"",       " ",     "12abc", "abc", "1 3", "--5", "+-5", "5-",    ",5",   "5,",
          "1,,000", "1.2.3", ".",     "-",   "1e",  "1e+", "e5",  "1.5,0", "0x10", "1\n"}) {
        EXPECT_FALSE(IsNumericText(no, format)) << no;
    }
}

TEST(IsNumericText, DecimalCommaFormat) {
    const NumberFormat format = decimalCommaFormat();
    for (const char* yes : {"12", "1,5", "1.000", "1.000,5", ",5", "-7,25"}) {
        EXPECT_TRUE(IsNumericText(yes, format)) << yes;
    }
    for (const char* no : {"1,5,0", "1.", ".5", "1,5.0", "abc"}) {
        EXPECT_FALSE(IsNumericText(no, format)) << no;
    }
    // Numeric under this format, yet read only up to the comma.
    EXPECT_EQ(TextToNumber("1,5"), 1);
    EXPECT_EQ(TextToNumber("1.000"), 1);
}

TEST(IsNumericText, MultiByteSeparators) {
    const NumberFormat format{",", "\u00a0"};  // a no-break space groups the digits
    EXPECT_TRUE(IsNumericText("1\u00a0000,5", format));
    EXPECT_FALSE(IsNumericText("1\u00a0", format));
    EXPECT_FALSE(IsNumericText("\xff", format));
}

TEST(IntegerRemainder, RoundsHalvesToEvenBeforeDividing) {
    const struct {
        double a, b;
        int remainder;
    } cases[] = {
        {2147483647, 2, 1},
        {7.5, 2, 0},
        {6.5, 2, 0},
        {2.5, 2, 0},
        {3.5, 2, 0},
        {-7, 2, -1},
        {7, -2, 1},
        {-2.5, 3, -2},
        {9, 2.5, 1},
        {10, 3.5, 2},
        {-2147483648.0, 7, -2},
        {-2147483648.4, -1, 0},
        {0.4, 5, 0},
        {2147483647.4, 2147483647, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntegerRemainder(c.a, c.b), c.remainder) << c.a << " mod " << c.b;
    }
}

TEST(IntegerRemainder, OutsideThe32BitRangeOverflows) {
    for (double a : {2147483648.0, 2147483647.5, -2147483649.0, -2147483648.6, 4294967296.0,
                     std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_THROW(IntegerRemainder(a, 3), OverflowError) << a;
        EXPECT_THROW(IntegerRemainder(3, a), OverflowError) << a;
    }
    EXPECT_EQ(raisedNumber([] { IntegerRemainder(2147483648.0, 2); }), 6);
}

TEST(IntegerRemainder, DivisorRoundingToZeroIsError11) {
    for (double divisor : {0.0, -0.0, 0.5, -0.5, 0.4}) {
        EXPECT_EQ(raisedNumber([divisor] { IntegerRemainder(7, divisor); }), 11) << divisor;
    }
    // Out of range goes first: 6, though the divisor rounds to 0 as well.
    EXPECT_EQ(raisedNumber([] { IntegerRemainder(2147483648.0, 0.5); }), 6);
}

TEST(NumberToText, PrintsWholeNumbersAsDigitsAndOthersWith15Digits) {
    const NumberFormat stop = fullStopFormat();
    const NumberFormat comma = decimalCommaFormat();
    EXPECT_EQ(NumberToText(2, stop), "2");
    EXPECT_EQ(NumberToText(1e6, stop), "1000000");
    EXPECT_EQ(NumberToText(2147483647, comma), "2147483647");
    EXPECT_EQ(NumberToText(-3, stop), "-3");
    EXPECT_EQ(NumberToText(-0.0, stop), "0");
    EXPECT_EQ(NumberToText(7.5, stop), "7.5");
    EXPECT_EQ(NumberToText(7.5, comma), "7,5");
    EXPECT_EQ(NumberToText(0.9375, comma), "0,9375");
    EXPECT_EQ(NumberToText(0.1 + 0.2, stop), "0.3");
    EXPECT_EQ(NumberToText(1.0 / 3.0, stop), "0.333333333333333");
    EXPECT_EQ(NumberToText(2147483646.3, comma), "2147483646,3");
    EXPECT_EQ(NumberToText(1e-20, stop), "1E-20");
    EXPECT_EQ(NumberToText(1e300, stop).size(), 301u);
}

TEST(ErrorNumbers, AreKeptAcrossTheTrap) {
    EXPECT_EQ(errorNumberOf(OverflowError()), 6);
    EXPECT_EQ(errorNumberOf(std::bad_alloc()), kOutOfMemoryErrorNumber);
    EXPECT_NE(errorNumberOf(std::logic_error("x")), 6);
}

}  // namespace
}  // namespace tavix
