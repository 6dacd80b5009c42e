// "Verificar" with any text in txtV and any window around it.
//
// Checked on every run: the pointer ends at the default and every message box finds it
// there; a text that is not numeric changes nothing at all; the rest of the window is never
// touched; at most one message box, a verdict about the number read or an error report
// followed by the focus in txtV; for a whole number the verdict is its true primality; and
// wherever the literal loop finishes within a budget of passes, what a person sees is the
// same as what the loop shows.
#include <cmath>
#include <string>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "fuzz_support.hpp"
#include "oracle/verify_literal.hpp"

using namespace tavix;
using namespace tavix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Click click = readClick(data, size);
    RecordingWindow window(click.prior);
    cmdV_Click(window, click.format);
    const std::string detail = report(click, window);

    checkPointer(click, window);
    WindowState untouched = window.state;
    untouched.pointer = click.prior.pointer;
    untouched.focus = click.prior.focus;
    TAVIX_REQUIRE(untouched == click.prior, detail);

    const std::string& text = click.prior.txtV;
    if (!IsNumericText(text, click.format)) {
        TAVIX_REQUIRE(window.calls.empty(), detail);
        return 0;
    }
    TAVIX_REQUIRE(showedHourglass(window), detail);
    TAVIX_REQUIRE(window.messages.size() <= 1, detail);

    if (overflowsWhenRead(text)) {
        TAVIX_REQUIRE(window.messages.size() == 1 && window.messages[0].text == texts::kOverflow &&
                          window.state.focus == TextBox::txtV,
                      detail);
        return 0;
    }
    const double n = TextToNumber(text);
    const std::string number = NumberToText(n, click.format);
    const std::string prime = number + std::string(texts::kIsPrime);
    const std::string notPrime = number + std::string(texts::kIsNotPrime);
    if (window.messages.size() == 1) {
        const auto& message = window.messages[0];
        if (message.icon == MessageIcon::Critical) {
            TAVIX_REQUIRE(message.text == texts::kOverflow, detail);
            TAVIX_REQUIRE(window.state.focus == TextBox::txtV, detail);
        } else {
            TAVIX_REQUIRE(window.state.focus == click.prior.focus, detail);
            TAVIX_REQUIRE(
                (message.text == prime && message.icon == MessageIcon::Information) ||
                    (message.text == notPrime && message.icon == MessageIcon::Exclamation),
                detail);
        }
    }
    if (n == std::trunc(n) && (n > 2147483647.0 || n < -2147483648.0)) {
        TAVIX_REQUIRE(window.messages.size() == 1 && window.messages[0].text == texts::kOverflow,
                      detail);
    } else if (n == std::trunc(n)) {
        const bool expected = n >= 2 && isPrime(static_cast<std::uint64_t>(n));
        TAVIX_REQUIRE(
            window.messages.size() == 1 && window.messages[0].text == (expected ? prime : notPrime),
            detail);
    }

    RecordingWindow literal(click.prior);
    oracle::PassBudget budget(100'000);
    try {
        oracle::literalVerify(literal, click.format, budget);
    } catch (const oracle::PassBudgetExceeded&) {
        return 0;
    }
    TAVIX_REQUIRE(window.story() == literal.story(),
                  detail + "\nliteral loop:\n" + report(click, literal));
    return 0;
}
