#include "core/number_values.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>

#include "core/utf8.hpp"

namespace tavix {

namespace {

// More significant digits than a double can ever need to round correctly; the digits past
// these only break ties, which one extra non-zero digit does just as well.
constexpr std::size_t kMaxSignificantDigits = 800;
// Exponents are summed saturated at this magnitude; any such number is far out of range.
constexpr long long kExponentLimit = 1'000'000'000;

// What TextToNumber skips wherever it stands: blanks and line feeds (not carriage returns).
bool isSkipped(char c) {
    return isBlank(c) || c == '\n';
}

long long saturatedExponent(long long value) {
    if (value > kExponentLimit) {
        return kExponentLimit;
    }
    if (value < -kExponentLimit) {
        return -kExponentLimit;
    }
    return value;
}

std::int64_t roundedInRange(double x) {
    const double r = roundHalfToEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        throw OverflowError();
    }
    return static_cast<std::int64_t>(r);
}

}  // namespace

// Half to the even neighbour, whatever the floating-point environment says.
double roundHalfToEven(double x) {
    if (std::fabs(x - std::trunc(x)) == 0.5) {
        return 2.0 * std::round(x / 2.0);
    }
    return std::round(x);
}

int errorNumberOf(const std::exception& error) noexcept {
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&error)) {
        return runtime->number();
    }
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return kOutOfMemoryErrorNumber;
    }
    return kInternalErrorNumber;
}

double TextToNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isSkipped(text[i])) {
            ++i;
        }
    };

    skipBlanks();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // The value read is <digits> × 10^exponent, digits without leading zeros.
    std::string digits;
    long long exponent = 0;
    bool droppedNonZero = false;
    bool sawPoint = false;
    for (;;) {
        skipBlanks();
        if (i >= n) {
            break;
        }
        const char c = text[i];
        if (isDigit(c)) {
            if (digits.empty() && c == '0') {
                if (sawPoint) {
                    --exponent;
                }
            } else if (digits.size() < kMaxSignificantDigits) {
                digits.push_back(c);
                if (sawPoint) {
                    --exponent;
                }
            } else {
                droppedNonZero = droppedNonZero || c != '0';
                if (!sawPoint) {
                    ++exponent;
                }
            }
            ++i;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
            ++i;
        } else {
            break;
        }
    }

    skipBlanks();
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        skipBlanks();
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        long long written = 0;
        for (;;) {
            skipBlanks();
            if (i >= n || !isDigit(text[i])) {
                break;
            }
            written = saturatedExponent(written * 10 + (text[i] - '0'));
            ++i;
        }
        exponent = saturatedExponent(exponent + (negativeExponent ? -written : written));
    }

    if (digits.empty()) {
        return 0.0;
    }
    if (droppedNonZero) {
        digits.push_back('1');
        --exponent;
    }
    // Decimal magnitude: the value lies in [10^(magnitude-1), 10^magnitude).
    const long long magnitude = exponent + static_cast<long long>(digits.size());
    if (magnitude > 310) {
        throw OverflowError();
    }
    if (magnitude < -330) {
        return 0.0;
    }

    digits.push_back('e');
    digits += std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0) {
            throw OverflowError();
        }
        return 0.0;
    }
    if (std::isinf(value)) {
        throw OverflowError();
    }
    return negative ? -value : value;
}

bool IsNumericText(std::string_view text, const NumberFormat& format) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }

    std::size_t i = 0;
    const std::size_t n = text.size();
    auto startsWith = [&](const std::string& piece) {
        return !piece.empty() && text.substr(i).starts_with(piece);
    };

    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }

    bool sawDigit = false;
    // Whole part: digits, with group separators only between two digits.
    while (i < n) {
        if (isDigit(text[i])) {
            sawDigit = true;
            ++i;
        } else if (sawDigit && isDigit(text[i - 1]) && startsWith(format.groupSeparator) &&
                   i + format.groupSeparator.size() < n &&
                   isDigit(text[i + format.groupSeparator.size()])) {
            i += format.groupSeparator.size();
        } else {
            break;
        }
    }
    if (startsWith(format.decimalSeparator)) {
        i += format.decimalSeparator.size();
        while (i < n && isDigit(text[i])) {
            sawDigit = true;
            ++i;
        }
    }
    if (!sawDigit) {
        return false;
    }

    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t exponentStart = i;
        while (i < n && isDigit(text[i])) {
            ++i;
        }
        if (i == exponentStart) {
            return false;
        }
    }
    return i == n;
}

std::int32_t IntegerRemainder(double a, double b) {
    const std::int64_t dividend = roundedInRange(a);
    const std::int64_t divisor = roundedInRange(b);
    if (divisor == 0) {
        throw DivisionByZeroError();
    }
    return static_cast<std::int32_t>(dividend % divisor);
}

void appendWholeNumber(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string NumberToText(double x, const NumberFormat& format) {
    std::string out;
    if (x == std::trunc(x) && std::fabs(x) < 9.2e18) {
        appendWholeNumber(out, static_cast<std::int64_t>(x));
        return out;
    }
    char buffer[400];  // room for the digits of the largest double
    const auto result =
        std::isfinite(x) && x == std::trunc(x)
            ? std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 0)
            : std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15);
    for (const char* p = buffer; p != result.ptr; ++p) {
        if (*p == '.') {
            out += format.decimalSeparator;
        } else if (*p == 'e') {
            out.push_back('E');
        } else {
            out.push_back(*p);
        }
    }
    return out;
}

}  // namespace tavix
