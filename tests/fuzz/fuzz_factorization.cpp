// "Fatorar" with any text in txtV and any window around it; with the flag d, FatorarNumero
// called on its own below whatever table is on show.
//
// Checked on every click: the pointer ends at the default and every message box finds it
// there; a text that is not numeric never shows the hourglass, nor a message unless reading
// it overflows (the click reads the number even then); only the table, the pointer and the
// focus change; an ending without a message leaves both columns empty with the rule hidden,
// or a finished table: one more row on the left, ending in 1, the rule shown; an error
// leaves as many rows on each side, the rule hidden and the focus in txtV; in a finished
// table each right row is a prime, not below the one before, each left row is the one
// before divided by its factor, and for a whole number the right column multiplies back
// to it. Wherever the literal loops finish within a budget of passes, what a person sees
// is the same as what they show.
#include <cmath>
#include <string>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "fuzz_support.hpp"
#include "oracle/factor_literal.hpp"

using namespace tavix;
using namespace tavix::fuzz;

namespace {

void checkTable(const Click& click, const RecordingWindow& window, const std::string& detail) {
    const std::vector<std::string> left = rowsOf(window.state.lblNumFat);
    const std::vector<std::string> right = rowsOf(window.state.lblFator);
    if (!window.messages.empty()) {
        // An error before the table was started leaves the old one; after, the rows so far.
        const bool untouched = window.state.lblNumFat == click.prior.lblNumFat &&
                               window.state.lblFator == click.prior.lblFator;
        TAVIX_REQUIRE(untouched || left.size() == right.size(), detail);
        TAVIX_REQUIRE(!window.state.ruleVisible && window.state.focus == TextBox::txtV, detail);
        return;
    }
    if (left.empty() && right.empty()) {
        TAVIX_REQUIRE(!window.state.ruleVisible, detail);
        return;
    }
    TAVIX_REQUIRE(left.size() == right.size() + 1 && left.back() == "1", detail);
    TAVIX_REQUIRE(window.state.ruleVisible, detail);

    double n = TextToNumber(click.prior.txtV);
    const std::string number = NumberToText(n, click.format);
    if (n != std::trunc(n)) {
        // A fraction finishes only as a prime: it never divides down to 1 exactly.
        TAVIX_REQUIRE(right.size() == 1 && right[0] == number && left[0] == number, detail);
        return;
    }
    const double whole = n;
    std::uint64_t product = 1;
    std::uint64_t previous = 2;
    for (std::size_t row = 0; row < right.size(); ++row) {
        TAVIX_REQUIRE(left[row] == NumberToText(n, click.format), detail);
        const double factor = TextToNumber(right[row]);
        TAVIX_REQUIRE(factor >= 2 && factor <= 2147483647.0 && factor == std::trunc(factor),
                      detail);
        const auto f = static_cast<std::uint64_t>(factor);
        TAVIX_REQUIRE(isPrime(f) && f >= previous, detail);
        previous = f;
        product *= f;
        TAVIX_REQUIRE(product <= 2147483647u, detail);
        n = n / factor;
    }
    TAVIX_REQUIRE(static_cast<double>(product) == whole, detail);
}

void checkClick(const Click& click, const RecordingWindow& window) {
    const std::string detail = report(click, window);
    const std::string& text = click.prior.txtV;
    if (text.empty()) {
        TAVIX_REQUIRE(window.calls.empty(), detail);
        return;
    }
    if (!IsNumericText(text, click.format)) {
        TAVIX_REQUIRE(!showedHourglass(window), detail);
        TAVIX_REQUIRE(window.messages.empty() || overflowsWhenRead(text), detail);
    }
    TAVIX_REQUIRE(window.messages.size() <= 1, detail);
    for (const auto& message : window.messages) {
        TAVIX_REQUIRE(message.icon == MessageIcon::Critical && message.text == texts::kOverflow,
                      detail);
    }
    if (window.messages.empty() && window.state.focus != click.prior.focus)
        TAVIX_REQUIRE(window.state.focus == TextBox::txtV, detail);
    checkTable(click, window, detail);

    // A whole number of the 32-bit range always gets its table.
    if (!overflowsWhenRead(text) && IsNumericText(text, click.format)) {
        const double n = TextToNumber(text);
        if (n >= 1 && n <= 2147483647.0 && n == std::trunc(n)) {
            TAVIX_REQUIRE(window.messages.empty(), detail);
            TAVIX_REQUIRE(rowsOf(window.state.lblNumFat).size() >= (n == 1 ? 0u : 2u), detail);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Click click = readClick(data, size);
    RecordingWindow window(click.prior);
    if (click.direct) {
        FatorarNumero(window, click.format);
    } else {
        cmdFatorar_Click(window, click.format);
    }

    checkPointer(click, window);
    WindowState untouched = window.state;
    untouched.pointer = click.prior.pointer;
    untouched.focus = click.prior.focus;
    untouched.lblNumFat = click.prior.lblNumFat;
    untouched.lblFator = click.prior.lblFator;
    untouched.ruleVisible = click.prior.ruleVisible;
    TAVIX_REQUIRE(untouched == click.prior, report(click, window));
    if (!click.direct)
        checkClick(click, window);

    // Called on its own with a number that rounds to 0, the literal loop finds every f a
    // divisor and writes rows until memory runs out; the program reports an error at once.
    if (click.direct && !overflowsWhenRead(click.prior.txtV) &&
        std::fabs(TextToNumber(click.prior.txtV)) <= 0.5) {
        TAVIX_REQUIRE(window.messages.size() == 1 && window.messages[0].text == texts::kOtherError,
                      report(click, window));
        return 0;
    }
    RecordingWindow literal(click.prior);
    oracle::PassBudget budget(100'000);
    const oracle::FactorOptions options{.skipHopelessClimb = true};
    try {
        if (click.direct) {
            oracle::literalFatorarNumero(literal, click.format, budget, options);
        } else {
            oracle::mendedFatorar(literal, click.format, budget, options);
        }
    } catch (const oracle::PassBudgetExceeded&) {
        return 0;
    }
    TAVIX_REQUIRE(window.story() == literal.story(),
                  report(click, window) + "\nliteral loops:\n" + report(click, literal));
    return 0;
}
