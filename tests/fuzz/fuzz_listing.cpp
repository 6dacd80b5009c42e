// "Calcular" with any texts in txtIni and txtN and any window around them.
//
// Checked on every run: the pointer ends at the default and every message box finds it
// there; only txt changes, and txtIni only to the "0" an empty box gets beside a filled
// txtN; a text that is not numeric ends the listing with txt empty, no hourglass, no
// message; an interval that ends below its start gets its message and nothing else; txt
// ends as a count line with exactly as many primes as it counts, a fixed answer, or a list
// without a count line beside an overflow report. For a whole first number the list is
// exactly the primes of the interval, and wherever the literal loop is cheap enough, what a
// person sees is what it shows.
//
// Inputs whose interval holds more than 20000 candidates are left out: the listing takes
// them in stride, but one run must stay short.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "fuzz_support.hpp"
#include "oracle/listing_literal.hpp"

using namespace tavix;
using namespace tavix::fuzz;

namespace {

constexpr double kMaxCandidates = 20000;
// The literal loop takes about n / 2 passes per prime n; run it where candidates × last
// stays below this.
constexpr double kLiteralWork = 2e6;
// The first candidate whose remainder overflows: it rounds to 2147483648 or more.
constexpr double kFirstOverflowing = 2147483647.5;

// A number as the listing reads it; NaN when reading it overflows.
double readNumber(const std::string& text) {
    try {
        return TextToNumber(text);
    } catch (const OverflowError&) {
        return std::nan("");
    }
}

std::vector<std::string> itemsOf(const std::string& list) {
    return split(list, ", ");
}

// The list behind a count line (the fixed answers are count lines too), once its count is
// checked; none behind the text for no primes.
std::vector<std::string> listBehindCountLine(const std::string& txt, const std::string& detail) {
    if (txt == texts::kNoPrimes)
        return {};
    if (txt.starts_with(texts::kOnePrimePrefix)) {
        const auto items = itemsOf(txt.substr(texts::kOnePrimePrefix.size()));
        TAVIX_REQUIRE(items.size() == 1, detail);
        return items;
    }
    TAVIX_REQUIRE(txt.starts_with(texts::kCountPrefix), detail);
    const std::size_t suffix = txt.find(texts::kCountSuffix);
    TAVIX_REQUIRE(suffix != std::string::npos, detail);
    const std::string count =
        txt.substr(texts::kCountPrefix.size(), suffix - texts::kCountPrefix.size());
    const auto items = itemsOf(txt.substr(suffix + texts::kCountSuffix.size()));
    TAVIX_REQUIRE(count == std::to_string(items.size()) && items.size() >= 2, detail);
    return items;
}

// The primes a whole first number lists, up to the last or to the overflow.
std::vector<std::string> expectedList(double first, double last, const NumberFormat& format) {
    std::vector<std::string> items;
    if (first == 3) {
        items = {"3"};
    } else if (first <= 2) {
        items = {"2", "3"};
    }
    for (double n = std::max(first, 5.0); n <= last && n < kFirstOverflowing; ++n) {
        if (isPrime(static_cast<std::uint64_t>(n)))
            items.push_back(NumberToText(n, format));
    }
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Click click = readClick(data, size);
    WindowState expected = click.prior;
    if (!expected.txtN.empty() && expected.txtIni.empty())
        expected.txtIni = "0";
    const bool numeric =
        IsNumericText(expected.txtIni, click.format) && IsNumericText(expected.txtN, click.format);
    const double firstValue = numeric ? readNumber(expected.txtIni) : std::nan("");
    const double lastValue = numeric ? readNumber(expected.txtN) : std::nan("");
    const bool bothRead = !std::isnan(firstValue) && !std::isnan(lastValue);
    double candidates = 0;
    if (bothRead) {
        const double low = std::max(firstValue, 5.0);
        const double high = std::min(lastValue, kFirstOverflowing);
        candidates = high >= low ? std::floor(high - low) + 1 : 0;
        if (low >= kFirstOverflowing && lastValue >= low)
            candidates = 1;
        if (candidates > kMaxCandidates)
            return -1;
    }

    RecordingWindow window(click.prior);
    cmdCalc_Click(window, click.format);
    const std::string detail = report(click, window);
    checkPointer(click, window);

    WindowState untouched = window.state;
    untouched.txt = expected.txt;
    untouched.pointer = expected.pointer;
    untouched.focus = expected.focus;
    TAVIX_REQUIRE(untouched == expected, detail);
    TAVIX_REQUIRE(window.messages.size() <= 1, detail);
    const std::string& txt = window.state.txt;

    if (!numeric) {
        TAVIX_REQUIRE(txt.empty() && window.messages.empty() && !showedHourglass(window), detail);
        TAVIX_REQUIRE(window.state.focus == click.prior.focus, detail);
        return 0;
    }
    if (!bothRead) {
        TAVIX_REQUIRE(txt.empty() && window.messages.size() == 1, detail);
        TAVIX_REQUIRE(window.messages[0].text == texts::kOverflow, detail);
        TAVIX_REQUIRE(window.state.focus == TextBox::txtIni, detail);
        return 0;
    }
    if (lastValue < firstValue) {
        TAVIX_REQUIRE(txt.empty() && !showedHourglass(window) && window.messages.size() == 1,
                      detail);
        TAVIX_REQUIRE(window.messages[0].text == texts::kNoInterval &&
                          window.messages[0].icon == MessageIcon::Critical,
                      detail);
        TAVIX_REQUIRE(window.state.focus == TextBox::txtIni, detail);
        return 0;
    }
    TAVIX_REQUIRE(showedHourglass(window), detail);

    std::vector<std::string> items;
    if (window.messages.empty()) {
        items = listBehindCountLine(txt, detail);
    } else {
        // A list cut short by an overflow: no count line.
        TAVIX_REQUIRE(window.messages[0].text == texts::kOverflow, detail);
        TAVIX_REQUIRE(!txt.starts_with(texts::kCountPrefix) && txt != texts::kNoPrimes, detail);
        TAVIX_REQUIRE(window.state.focus == TextBox::txtIni, detail);
        items = itemsOf(txt);
    }
    for (const std::string& item : items) {
        TAVIX_REQUIRE(IsNumericText(item, click.format) && item.find(' ') == std::string::npos,
                      detail);
    }

    // A fixed answer leaves the focus where it was; the loop moves it to txtIni.
    const bool fixed =
        (lastValue == 2 && firstValue <= 2) || (lastValue == 3 && firstValue <= 2) || lastValue < 2;
    if (fixed) {
        TAVIX_REQUIRE(window.messages.empty() && window.state.focus == click.prior.focus, detail);
    } else {
        TAVIX_REQUIRE(window.state.focus == TextBox::txtIni, detail);
    }

    // Exactly the primes of the interval, for a whole first number.
    if (firstValue == std::trunc(firstValue) && !fixed) {
        const bool overflows = std::max(firstValue, 5.0) <= lastValue && lastValue >= 2147483648.0;
        TAVIX_REQUIRE(window.messages.empty() != overflows, detail);
        TAVIX_REQUIRE(items == expectedList(firstValue, lastValue, click.format), detail);
    }

    const double low = std::max(firstValue, 5.0);
    const double work = low >= kFirstOverflowing ? 1 : std::min(lastValue, kFirstOverflowing);
    if (candidates * std::max(work, 1.0) <= kLiteralWork) {
        RecordingWindow literal(click.prior);
        oracle::cmdCalc_Click_literal(literal, click.format);
        TAVIX_REQUIRE(window.story() == literal.story(),
                      detail + "\nliteral loop:\n" + report(click, literal));
    }
    return 0;
}
