// TextToNumber on any text, held against the reference reading of the literal loops (blanks
// dropped wherever they stand, the longest leading number cut out, the C library's strtod
// to read it). Both must give the same double, or both find it beyond a double
// (TextToNumber then raises OverflowError, and nothing else ever escapes).
#include <optional>
#include <string>

#include "fuzz_support.hpp"
#include "oracle/number_reference.hpp"

namespace {

std::optional<double> referenceValue(std::string_view text) {
    try {
        return tavix::oracle::readNumber(text);
    } catch (const tavix::oracle::RunError&) {
        return std::nullopt;
    }
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
