#include "oracle/number_reference.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace tavix::oracle {

namespace {

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// Exponents past this are far beyond any double either way; the C library reads the rest.
constexpr long kExponentCap = 999'999'999;

}  // namespace

int errorNumber(const std::exception& error) noexcept {
    if (const auto* run = dynamic_cast<const RunError*>(&error))
        return run->number();
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return 7;
    return -1;
}

double readNumber(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);
    }
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number.push_back(s[i++]);
    bool anyDigit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (digit(s[i])) {
            anyDigit = true;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(s[i]);
    }
    if (!anyDigit)
        return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            negative = s[j++] == '-';
        long exponent = 0;
        const std::size_t first = j;
        for (; j < s.size() && digit(s[j]); ++j)
            exponent = std::min(kExponentCap, exponent * 10 + (s[j] - '0'));
        if (j > first)
            number += (negative ? "e-" : "e") + std::to_string(exponent);
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (std::isinf(value))
        throw RunError(6);
    return value;
}

bool isNumber(std::string_view text, const NumberFormat& format) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);

    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && digit(text[i]))
            ++i;
        return i - from;
    };
    auto take = [&](std::string_view piece) {
        if (piece.empty() || text.substr(i, piece.size()) != piece)
            return false;
        i += piece.size();
        return true;
    };

    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t count = digits();
    // Further groups only after a digit, each group of at least one digit.
    while (count > 0) {
        const std::size_t before = i;
        if (!take(format.groupSeparator))
            break;
        if (digits() == 0) {
            i = before;
            break;
        }
    }
    if (take(format.decimalSeparator))
        count += digits();
    if (count == 0)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == text.size();
}

std::string printNumber(double x, const NumberFormat& format) {
    if (x == std::trunc(x)) {
        char exact[400];
        std::snprintf(exact, sizeof exact, "%.0f", x);
        const std::string whole = exact;
        return whole == "-0" ? "0" : whole;
    }
    // d.dddddddddddddde±x: the 15 significant digits, rounded by the C library.
    char scientific[40];
    std::snprintf(scientific, sizeof scientific, "%.14e", x);
    std::string_view s = scientific;
    std::string sign;
    if (s.front() == '-') {
        sign = "-";
        s.remove_prefix(1);
    }
    std::string digits = std::string(1, s[0]) + std::string(s.substr(2, 14));
    const int exponent = std::atoi(std::string(s.substr(s.find('e') + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = sign;
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1)
            out += format.decimalSeparator + digits.substr(1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + tail;
    }
    if (exponent < 0)
        return out + "0" + format.decimalSeparator + std::string(-exponent - 1, '0') + digits;
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return out + digits + std::string(whole - digits.size(), '0');
    return out + digits.substr(0, whole) + format.decimalSeparator + digits.substr(whole);
}

}  // namespace tavix::oracle
