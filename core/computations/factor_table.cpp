// "Fatorar": the factorization table of the number in txtV.
//
// The table is defined by a climb: f = 2, 3, … divides the running quotient n while
// IntegerRemainder(n, f) = 0, writing one row (n, f) and setting n := n / f each time, until
// n = 1. Only round(n) takes part in that test, and it divides exactly: the first n lies
// within 1/2 of its rounding, and after a division by f >= 2 the quotient lies within 1/4
// of round(n) / f, so it rounds to that. The rows are therefore the prime factors of the
// rounded number, in non-decreasing order, beside the real quotients; trial division up to
// the square root finds them.
//
// A whole n ends at n = 1. A pasted fraction never does: a real division of a number that
// is not whole by a whole f never gives a whole number. Its last quotient rounds to 1
// without being 1, no f divides it any more, and the climb goes on until the remainder
// overflows at f = 2147483648. A negative number (only a direct call of FatorarNumero
// brings one) ends the same way at -1.
#include <cstdlib>
#include <string>

#include "core/computations.hpp"
#include "core/engines/trial_division.hpp"
#include "core/error_trap.hpp"
#include "core/texts.hpp"

namespace tavix {

namespace {

// The table of a prime: the number over 1, the number beside it, the rule between.
void showPrimeTable(Window& window, const NumberFormat& format, double n) {
    const std::string number = NumberToText(n, format);
    window.setCaption(FactorColumn::lblNumFat, number + kRowSeparator + '1');
    window.setCaption(FactorColumn::lblFator, number);
    window.setRuleVisible(true);
    window.setPointer(Pointer::Default);
}

// The report of both operations, whatever the error: the rule goes, then the pointer, the
// message and the focus; the rows written so far stay.
constexpr ReportStep kReportOrder[] = {ReportStep::HideRule, ReportStep::PointerBack,
                                       ReportStep::Message, ReportStep::Focus};
constexpr ErrorReport kReport{TextBox::txtV, kReportOrder, kReportOrder};

// The steps of cmdFatorar_Click: the prime test, and the table of a prime.
int factorNumber(Window& window, const NumberFormat& format) {
    const std::string text = window.text(TextBox::txtV);
    if (text.empty()) {
        return kNoError;
    }
    // Both are evaluated: a text too large for a double overflows here.
    const bool numeric = IsNumericText(text, format);
    const bool positive = TextToNumber(text) > 0;
    if (!numeric | !positive) {
        window.setCaption(FactorColumn::lblFator, {});
        window.setCaption(FactorColumn::lblNumFat, {});
        window.setRuleVisible(false);
        return kNoError;
    }

    window.setPointer(Pointer::Hourglass);
    const double n = TextToNumber(text);
    window.setCaption(FactorColumn::lblFator, {});
    window.setCaption(FactorColumn::lblNumFat, {});

    // 2 and 3 get the same table as every other prime.
    if (n == 2 || n == 3) {
        showPrimeTable(window, format, n);
        return kNoError;
    }
    // Below 4 the climb from d = 2 never starts: no table, so no rule either.
    if (!(2 <= n / 2)) {
        window.setRuleVisible(false);
        window.setPointer(Pointer::Default);
        return kNoError;
    }
    // The first divisor is 2; its remainder overflows for a number past the 32-bit range.
    const bool even = IntegerRemainder(n, 2) == 0;
    if (!even && isPrimeNumber(static_cast<std::uint32_t>(roundHalfToEven(n)))) {
        showPrimeTable(window, format, n);
    } else {
        FatorarNumero(window, format);
    }
    return kNoError;
}

// The steps of FatorarNumero: the rows of the factors, then the closing 1, the rule, the
// focus and the pointer.
int writeTable(Window& window, const NumberFormat& format) {
    double n = TextToNumber(window.text(TextBox::txtV));
    // A table starts where the right column is empty.
    std::string factors = window.caption(FactorColumn::lblFator);
    std::string quotients = window.caption(FactorColumn::lblNumFat);

    if (n != 1) {
        // The first remainder, by 2, overflows for a number past the 32-bit range.
        IntegerRemainder(n, 2);
        const auto rounded = static_cast<std::int64_t>(roundHalfToEven(n));
        // A quotient rounding to 0 is divisible by every f: its rows would repeat until
        // memory runs out. Only a direct call with such a number gets here.
        if (rounded == 0) {
            return kOutOfMemoryErrorNumber;
        }

        for (const std::uint32_t f :
             primeFactorsOf(static_cast<std::uint32_t>(std::llabs(rounded)))) {
            if (factors.empty()) {
                appendWholeNumber(factors, f);
                quotients = NumberToText(n, format);
            } else {
                factors += kRowSeparator;
                appendWholeNumber(factors, f);
                quotients += kRowSeparator;
                quotients += NumberToText(n, format);
            }
            window.setCaption(FactorColumn::lblFator, factors);
            window.setCaption(FactorColumn::lblNumFat, quotients);
            n = n / f;
        }
        // Only a quotient rounding to ±1 without being 1 is left: f climbs past every
        // divisor until the remainder overflows at f = 2147483648.
        if (n != 1) {
            return kOverflowErrorNumber;
        }
    }

    quotients += kRowSeparator;
    quotients += '1';
    window.setCaption(FactorColumn::lblNumFat, std::move(quotients));
    window.setRuleVisible(true);
    window.setFocus(TextBox::txtV);
    window.setPointer(Pointer::Default);
    return kNoError;
}

}  // namespace

void cmdFatorar_Click(Window& window, const NumberFormat& format) {
    runTrapped(window, kReport, [&] { return factorNumber(window, format); });
}

void FatorarNumero(Window& window, const NumberFormat& format) {
    runTrapped(window, kReport, [&] { return writeTable(window, format); });
}

}  // namespace tavix
