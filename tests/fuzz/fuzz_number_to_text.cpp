// NumberToText of any double, in both formats. The first byte picks the format; eight more
// bytes are taken as the bits of the double, any other rest as a text for TextToNumber.
// A whole number prints as its exact decimal digits; any other finite value as the
// nearest 15-digit decimal, trailing zeros dropped, with the format's separator and no
// grouping. Every finite value prints as a numeric text of its format, and as the reference
// printing of the literal loops prints it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.hpp"
#include "oracle/number_reference.hpp"

namespace {

std::string withFullStop(const std::string& text, const std::string& separator) {
    const auto at = text.find(separator);
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + "." + text.substr(at + separator.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool comma = data[0] & 1;
    const tavix::NumberFormat format =
        comma ? tavix::decimalCommaFormat() : tavix::fullStopFormat();
    double x = 0;
    if (size == 9) {
        std::memcpy(&x, data + 1, sizeof x);
    } else {
        try {
            x = tavix::TextToNumber({reinterpret_cast<const char*>(data + 1), size - 1});
        } catch (const tavix::OverflowError&) {
            return 0;
        }
    }

    const std::string text = tavix::NumberToText(x, format);
    char bits[32];
    std::snprintf(bits, sizeof bits, "%a", x);
    const std::string detail = std::string("x ") + bits + " printed [" + text + "]";
    if (!std::isfinite(x))
        return 0;

    TAVIX_REQUIRE(text == tavix::oracle::printNumber(x, format), detail);
    TAVIX_REQUIRE(tavix::IsNumericText(text, format), detail);
    TAVIX_REQUIRE(text.find(format.groupSeparator) == std::string::npos, detail);
    if (x == std::trunc(x)) {
        // The exact digits, with no exponent and no separator.
        char exact[400];
        std::snprintf(exact, sizeof exact, "%.0f", x);
        TAVIX_REQUIRE(text == (std::string(exact) == "-0" ? "0" : exact), detail);
    } else {
        char nearest[64];
        std::snprintf(nearest, sizeof nearest, "%.15g", x);
        const std::string plain = withFullStop(text, format.decimalSeparator);
        TAVIX_REQUIRE(std::strtod(plain.c_str(), nullptr) == std::strtod(nearest, nullptr),
                      detail + " nearest " + nearest);
        // Trailing zeros of the fraction are dropped.
        const std::string mantissa = plain.substr(0, plain.find_first_of("Ee"));
        if (mantissa.find('.') != std::string::npos)
            TAVIX_REQUIRE(mantissa.back() != '0' && mantissa.back() != '.', detail);
        int significant = 0;
        for (const char c : mantissa.substr(mantissa.find_first_not_of("-0.")))
            significant += c >= '0' && c <= '9' ? 1 : 0;
        TAVIX_REQUIRE(significant <= 15, detail);
    }
    return 0;
}
