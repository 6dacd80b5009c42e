// Number values: how Tavix reads, tests, divides and prints the numbers typed by the user.
//
// Every number is a double. Remainders are taken in the signed 32-bit range only, so the
// usable numbers end at 2147483647; past that, IntegerRemainder raises OverflowError.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavix {

// Run-time error numbers. The computations tell only 6 apart from the rest.
inline constexpr int kNoError = 0;
inline constexpr int kOverflowErrorNumber = 6;
inline constexpr int kOutOfMemoryErrorNumber = 7;
inline constexpr int kDivisionByZeroErrorNumber = 11;
// Any failure that is neither a RuntimeError nor a lack of memory.
inline constexpr int kInternalErrorNumber = 51;

// A run-time error with its number; the click operations catch it once, at their top.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const char* what) : std::runtime_error(what), number_(number) {}
    int number() const noexcept { return number_; }

  private:
    int number_;
};

// Error 6: a value outside the range a remainder (or a double) can hold.
class OverflowError : public RuntimeError {
  public:
    OverflowError() : RuntimeError(kOverflowErrorNumber, "overflow") {}
};

// Error 11: a remainder by a divisor that rounds to 0.
class DivisionByZeroError : public RuntimeError {
  public:
    DivisionByZeroError() : RuntimeError(kDivisionByZeroErrorNumber, "division by zero") {}
};

// The error number of whatever a computation caught: RuntimeError keeps its own, running
// out of memory is 7, anything else is reported like any error that is not 6.
int errorNumberOf(const std::exception& error) noexcept;

// The user's number format: the separators of the system locale, as UTF-8 texts. The core
// never asks the system; the window hands this in.
struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";
};

// The two formats the tests care about.
inline NumberFormat fullStopFormat() {
    return {".", ","};
}
inline NumberFormat decimalCommaFormat() {
    return {",", "."};
}

// Reads the leading number of a text. Blanks, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits with at most one full stop, and an optional exponent
// (E or e, optional sign, digits). Reading stops at the first character that cannot continue
// the number; no digit read gives 0. Only the full stop is a decimal point.
// A number too large for a double raises OverflowError; one too small for it reads as 0.
double TextToNumber(std::string_view text);

// True when the whole text, apart from leading and trailing blanks, is one number written
// in the given format: optional sign, digits, group separators between digits of the whole
// part, the decimal separator, an optional exponent. Only the shape counts: a number too
// large for a double is numeric here and overflows when it is read.
bool IsNumericText(std::string_view text, const NumberFormat& format);

// The nearest whole number, a half going to the even neighbour (2.5 gives 2, 3.5 gives 4),
// whatever the floating-point environment says: the rounding of IntegerRemainder.
double roundHalfToEven(double x);

// Rounds both operands to the nearest integer (a half to the even neighbour), then returns
// the remainder of the truncating division, with the sign of a. Raises OverflowError when a
// rounded operand lies outside the signed 32-bit range, DivisionByZeroError when b rounds
// to 0.
std::int32_t IntegerRemainder(double a, double b);

// Prints a number: an integral value as its digits with a leading minus for negatives, no
// grouping; any other value with at most 15 significant digits, trailing zeros dropped, and
// the format's decimal separator.
std::string NumberToText(double x, const NumberFormat& format);

// NumberToText for a whole number of the 64-bit range, appended to a text: the fast path
// of the listing and the factor columns.
void appendWholeNumber(std::string& out, std::int64_t value);

}  // namespace tavix
