// "Verificar": whether the number in txtV is prime.
//
// The check is defined by a climb of trial divisors d = 2, 3, … while d <= n / 2, stopping
// at the first d that divides round(n) (not prime) or at the first d >= n / 2 − 1 (prime).
// What that climb decides, it decides from round(n) alone once n >= 4: an odd composite
// round(n) = N >= 9 has a prime factor p <= N / 3 <= n / 2 − 1, met before the climb ends,
// while a prime N has no divisor that small. So the verdict is the primality of round(n),
// found here by trial division up to its square root. Below 4 the climb never starts.
#include <string>

#include "core/computations.hpp"
#include "core/engines/trial_division.hpp"
#include "core/error_trap.hpp"
#include "core/texts.hpp"

namespace tavix {

namespace {

enum class Verdict { None, Prime, NotPrime };

Verdict verdictFor(double n) {
    if (n == 2 || n == 3) {
        return Verdict::Prime;
    }

    // The quick test evaluates all three conditions: the remainder overflows for any number
    // that rounds outside the 32-bit range, even a negative one.
    const bool isOne = n == 1;
    const bool isEven = IntegerRemainder(n, 2) == 0;
    const bool isNegative = n < 0;
    if (isOne | isEven | isNegative) {
        return Verdict::NotPrime;
    }

    // The climb starts at d = 2 only while 2 <= n / 2.
    if (!(2 <= n / 2)) {
        return Verdict::None;
    }
    const auto rounded = static_cast<std::uint32_t>(roundHalfToEven(n));
    return isPrimeNumber(rounded) ? Verdict::Prime : Verdict::NotPrime;
}

// The report: pointer back, message, focus in txtV, whatever the error.
constexpr ReportStep kReportOrder[] = {ReportStep::PointerBack, ReportStep::Message,
                                       ReportStep::Focus};
constexpr ErrorReport kReport{TextBox::txtV, kReportOrder, kReportOrder};

int checkNumber(Window& window, const NumberFormat& format) {
    const std::string text = window.text(TextBox::txtV);
    if (text.empty()) {
        return kNoError;
    }
    if (!IsNumericText(text, format)) {
        return kNoError;
    }
    window.setPointer(Pointer::Hourglass);

    const double n = TextToNumber(text);
    const Verdict verdict = verdictFor(n);

    window.setPointer(Pointer::Default);
    if (verdict == Verdict::Prime) {
        window.showMessage(NumberToText(n, format) + std::string(texts::kIsPrime),
                           MessageIcon::Information);
    } else if (verdict == Verdict::NotPrime) {
        window.showMessage(NumberToText(n, format) + std::string(texts::kIsNotPrime),
                           MessageIcon::Exclamation);
    }
    return kNoError;
}

}  // namespace

void cmdV_Click(Window& window, const NumberFormat& format) {
    runTrapped(window, kReport, [&] { return checkNumber(window, format); });
}

}  // namespace tavix
