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
// Decimal magnitudes past the range of a double, either way: the largest double is below
// 1.8·10^308, the smallest above 4.9·10^-324; between these and the limits the conversion
// itself decides.
constexpr long long kOverflowingMagnitude = 310;
constexpr long long kVanishingMagnitude = -330;
// Below 2^63: a whole double of smaller magnitude prints as a 64-bit integer.
constexpr double kBelowInt64Limit = 9.2e18;

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

// The number a text holds so far: <digits> × 10^exponent, digits without leading zeros.
struct DecimalReading {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
    bool droppedNonZero = false;  // a non-zero digit past kMaxSignificantDigits
};

void skipSkipped(std::string_view text, std::size_t& i) {
    while (i < text.size() && isSkipped(text[i])) {
        ++i;
    }
}

// An optional sign; true for a minus.
bool readSign(std::string_view text, std::size_t& i) {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        return text[i++] == '-';
    }
    return false;
}

void addDigit(DecimalReading& reading, char digit, bool afterPoint) {
    if (reading.digits.empty() && digit == '0') {
        if (afterPoint) {
            --reading.exponent;
        }
    } else if (reading.digits.size() < kMaxSignificantDigits) {
        reading.digits.push_back(digit);
        if (afterPoint) {
            --reading.exponent;
        }
    } else {
        reading.droppedNonZero = reading.droppedNonZero || digit != '0';
        if (!afterPoint) {
            ++reading.exponent;
        }
    }
}

// Digits with at most one full stop.
void readDigits(std::string_view text, std::size_t& i, DecimalReading& reading) {
    bool sawPoint = false;
    for (;;) {
        skipSkipped(text, i);
        if (i >= text.size()) {
            break;
        }
        const char c = text[i];
        if (isDigit(c)) {
            addDigit(reading, c, sawPoint);
            ++i;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
            ++i;
        } else {
            break;
        }
    }
}

// The optional exponent: E or e, an optional sign, digits.
void readExponent(std::string_view text, std::size_t& i, DecimalReading& reading) {
    skipSkipped(text, i);
    if (i >= text.size() || (text[i] != 'E' && text[i] != 'e')) {
        return;
    }
    ++i;
    skipSkipped(text, i);
    const bool negative = readSign(text, i);
    long long written = 0;
    for (;;) {
        skipSkipped(text, i);
        if (i >= text.size() || !isDigit(text[i])) {
            break;
        }
        written = saturatedExponent(written * 10 + (text[i] - '0'));
        ++i;
    }
    reading.exponent = saturatedExponent(reading.exponent + (negative ? -written : written));
}

// The double nearest to what was read. Raises OverflowError past the largest double.
double valueOf(DecimalReading& reading) {
    std::string& digits = reading.digits;
    if (digits.empty()) {
        return 0.0;
    }
    if (reading.droppedNonZero) {
        digits.push_back('1');
        --reading.exponent;
    }
    // Decimal magnitude: the value lies in [10^(magnitude-1), 10^magnitude).
    const long long magnitude = reading.exponent + static_cast<long long>(digits.size());
    if (magnitude > kOverflowingMagnitude) {
        throw OverflowError();
    }
    if (magnitude < kVanishingMagnitude) {
        return 0.0;
    }

    digits.push_back('e');
    digits += std::to_string(reading.exponent);
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
    return reading.negative ? -value : value;
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
    skipSkipped(text, i);
    DecimalReading reading;
    reading.negative = readSign(text, i);
    readDigits(text, i, reading);
    readExponent(text, i, reading);
    return valueOf(reading);
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
    if (x == std::trunc(x) && std::fabs(x) < kBelowInt64Limit) {
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
