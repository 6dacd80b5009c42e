// IsNumericText on any text, in the full-stop and the decimal-comma formats and in one with
// a separator of several bytes, held against a reading of its own: trim blanks and tabs,
// take the sign, split the exponent off at the first E, split the rest at the first decimal
// separator, and ask for digit groups joined by single group separators before it and
// digits only after it. Two more properties: blanks around a text never change the answer,
// and a numeric text without separators reads, whole, as strtod reads it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_support.hpp"

namespace {

using tavix::NumberFormat;

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool referenceNumeric(std::string_view text, const NumberFormat& format) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);

    std::string_view mantissa = text;
    const auto e = text.find_first_of("Ee");
    if (e != std::string_view::npos) {
        mantissa = text.substr(0, e);
        std::string_view exponent = text.substr(e + 1);
        if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-'))
            exponent.remove_prefix(1);
        if (exponent.empty() || !allDigits(exponent))
            return false;
    }

    std::string_view whole = mantissa;
    std::string_view fraction;
    const auto point = mantissa.find(format.decimalSeparator);
    if (point != std::string_view::npos) {
        whole = mantissa.substr(0, point);
        fraction = mantissa.substr(point + format.decimalSeparator.size());
    }
    if (!allDigits(fraction) || whole.size() + fraction.size() == 0)
        return false;
    if (whole.empty())
        return true;
    // Digit groups, each of at least one digit, between single separators.
    for (;;) {
        const auto separator = whole.find(format.groupSeparator);
        const std::string_view group = whole.substr(0, separator);
        if (group.empty() || !allDigits(group))
            return false;
        if (separator == std::string_view::npos)
            return true;
        whole.remove_prefix(separator + format.groupSeparator.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NumberFormat formats[] = {
        tavix::fullStopFormat(), tavix::decimalCommaFormat(), {",", "\u00a0"}};
    for (const NumberFormat& format : formats) {
        const std::string detail = "text [" + text + "] decimal [" + format.decimalSeparator + "]";
        const bool numeric = tavix::IsNumericText(text, format);
        TAVIX_REQUIRE(numeric == referenceNumeric(text, format), detail);
        TAVIX_REQUIRE(tavix::IsNumericText(" \t" + text + "\t ", format) == numeric, detail);
    }

    // Without any separator in it, a numeric text is read to its end.
    if (tavix::IsNumericText(text, tavix::fullStopFormat()) &&
        text.find_first_of(",\n") == std::string::npos) {
        errno = 0;
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        TAVIX_REQUIRE(end != nullptr &&
                          std::string_view(end).find_first_not_of(" \t") == std::string_view::npos,
                      "text [" + text + "] not read to its end");
        const bool overflow = errno == ERANGE && std::isinf(expected);
        TAVIX_REQUIRE(tavix::fuzz::overflowsWhenRead(text) == overflow, "text [" + text + "]");
        if (!overflow)
            TAVIX_REQUIRE(tavix::TextToNumber(text) == expected, "text [" + text + "]");
    }
    return 0;
}
