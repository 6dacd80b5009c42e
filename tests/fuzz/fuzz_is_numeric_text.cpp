// IsNumericText on any text, in the full-stop and the decimal-comma formats and in one with
// a separator of several bytes, held against the reference numeric test of the literal
// loops. Two more properties: blanks around a text never change the answer, and a numeric
// text without separators reads, whole, as strtod reads it.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "fuzz_support.hpp"
#include "oracle/number_reference.hpp"

using tavix::NumberFormat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NumberFormat formats[] = {
        tavix::fullStopFormat(), tavix::decimalCommaFormat(), {",", "\u00a0"}};
    for (const NumberFormat& format : formats) {
        const std::string detail = "text [" + text + "] decimal [" + format.decimalSeparator + "]";
        const bool numeric = tavix::IsNumericText(text, format);
        TAVIX_REQUIRE(numeric == tavix::oracle::isNumber(text, format), detail);
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
