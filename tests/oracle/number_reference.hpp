// The number operations as the literal loops use them, written again from their rules and
// sharing no code with the program: reading a number out of a text, telling whether a text
// is a number, rounding half to even, the 32-bit remainder and its range test, printing a
// number, and the error numbers. The tests hold the program's own operations against these,
// so a fault in one of them cannot hide on both sides of a comparison.
#pragma once

#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "core/number_values.hpp"  // NumberFormat: the two separators, data only

namespace tavix::oracle {

// A run-time error with its number: 6 for a value beyond the remainder's range or beyond a
// double, 11 for a remainder by a divisor that rounds to 0.
class RunError : public std::exception {
  public:
    explicit RunError(int number) : number_(number) {}
    int number() const noexcept { return number_; }
    const char* what() const noexcept override {
        return number_ == 6 ? "overflow (6)" : "run-time error";
    }

  private:
    int number_;
};

// The number of whatever an error trap caught: its own for a RunError, 7 for a lack of
// memory, and -1, which is not 6, for anything else.
int errorNumber(const std::exception& error) noexcept;

// The leading number of a text: blanks, tabs and line feeds do not count wherever they
// stand; then [sign] digits with at most one full stop [E or e [sign] digits]. 0 when no
// digit is read. A number beyond a double raises RunError(6); one too small for it is 0.
double readNumber(std::string_view text);

// Whether the whole text, blanks and tabs around it aside, is one number in the format:
// [sign] digit groups joined by single group separators, the decimal separator and digits,
// at least one digit in all, then [E or e [sign] digits].
bool isNumber(std::string_view text, const NumberFormat& format);

// The nearest whole number, a half to the even one: the default rounding of the machine.
inline double roundHalfEven(double x) {
    return std::nearbyint(x);
}

// Rounds both operands half to even; either outside -2147483648..2147483647 raises
// RunError(6), a divisor of 0 then RunError(11); the remainder of the truncating division
// has the sign of the dividend. Inline: the literal loops call it billions of times.
inline std::int32_t remainder32(double a, double b) {
    const double dividend = roundHalfEven(a);
    const double divisor = roundHalfEven(b);
    const bool inRange = dividend >= -2147483648.0 && dividend <= 2147483647.0 &&
                         divisor >= -2147483648.0 && divisor <= 2147483647.0;
    if (!inRange)
        throw RunError(6);
    if (divisor == 0)
        throw RunError(11);
    const auto x = static_cast<std::int32_t>(dividend);
    const auto y = static_cast<std::int32_t>(divisor);
    return y == -1 ? 0 : x % y;  // -2147483648 / -1 has no 32-bit quotient; its remainder is 0
}

// A whole value as its exact digits, a minus sign before a negative one; any other value
// with its 15 significant digits, correctly rounded, trailing zeros dropped, the format's
// decimal separator, and an exponent (E, sign, at least two digits) when the number is
// below 0.0001 or has more than 15 whole digits.
std::string printNumber(double x, const NumberFormat& format);

}  // namespace tavix::oracle
