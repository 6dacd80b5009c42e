// TextToNumber on any text, held against the C library's strtod: blanks are dropped wherever
// they stand, the longest leading number of the shape [sign] digits [. digits] [E [sign]
// digits] is cut out, and strtod reads it. Both must give the same double, or both find it
// beyond a double (TextToNumber then raises OverflowError, and nothing else ever escapes).
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_support.hpp"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value strtod gives the leading number; nothing when it lies beyond a double.
std::optional<double> referenceValue(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);
    }
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number.push_back(s[i++]);
    bool digit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            digit = true;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(s[i]);
    }
    if (!digit)
        return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent.push_back(s[j++]);
        const std::size_t firstDigit = j;
        while (j < s.size() && isDigit(s[j]))
            exponent.push_back(s[j++]);
        if (j > firstDigit)
            number += exponent;
    }
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<double> expected = referenceValue(text);
    const std::string detail = "text [" + std::string(text) + "]";
    std::optional<double> read;
    try {
        read = tavix::TextToNumber(text);
    } catch (const tavix::OverflowError&) {
    }
    TAVIX_REQUIRE(read.has_value() == expected.has_value(), detail);
    if (read) {
        TAVIX_REQUIRE(*read == *expected, detail + " read " + std::to_string(*read) + " expected " +
                                              std::to_string(*expected));
    }
    return 0;
}
