#include "oracle/listing_literal.hpp"

#include <exception>
#include <string>

namespace tavix::oracle {

namespace {

// The working numbers of a run, as the window keeps them.
struct Fields {
    double n = 0;      // the candidate
    double d = 0;      // the trial divisor
    double count = 0;  // the primes in the list
};

void literalSteps(Window& window, const NumberFormat& format, Fields& f) {
    window.setText(TextBox::txt, "");
    if (window.text(TextBox::txtN) != "" && window.text(TextBox::txtIni) == "") {
        window.setText(TextBox::txtIni, "0");
    }
    if (!IsNumericText(window.text(TextBox::txtIni), format))
        return;
    if (!IsNumericText(window.text(TextBox::txtN), format))
        return;
    const double first = TextToNumber(window.text(TextBox::txtIni));
    const double last = TextToNumber(window.text(TextBox::txtN));

    if (last < first) {
        window.showMessage(texts::kNoInterval, MessageIcon::Critical);
        window.setFocus(TextBox::txtIni);
        return;
    }

    window.setPointer(Pointer::Hourglass);
    f.n = first;
    if (f.n < 5)
        f.n = 5;
    f.d = 2;
    f.count = 0;

    if ((last == 2) & (first <= 2)) {
        window.setText(TextBox::txt, std::string(texts::kOnlyTwo));
        window.setPointer(Pointer::Default);
        return;
    }
    if ((last == 3) & (first <= 2)) {
        window.setText(TextBox::txt, std::string(texts::kTwoAndThree));
        window.setPointer(Pointer::Default);
        return;
    }
    if (last < 2) {
        window.setText(TextBox::txt, std::string(texts::kNoPrimes));
        window.setPointer(Pointer::Default);
        return;
    }

    if (first == 3) {
        window.setText(TextBox::txt, "3");
        f.count = 1;
    } else if (first <= 2) {
        window.setText(TextBox::txt, "2, 3");
        f.count = 2;
    }

    while (f.n <= last) {
        for (;;) {
            const bool byTwo = IntegerRemainder(f.n, 2) == 0;
            const bool byD = IntegerRemainder(f.n, f.d) == 0;
            if (byTwo | byD) {
                f.d = 3;
                break;
            }
            const bool byFive = IntegerRemainder(f.n, 5) == 0;
            if (byFive & (f.n != 5)) {
                f.d = 3;
                break;
            }
            if (f.d >= f.n / 2 - 1) {
                const std::string list = window.text(TextBox::txt);
                if (list == "") {
                    window.setText(TextBox::txt, NumberToText(f.n, format));
                } else {
                    window.setText(TextBox::txt, list + ", " + NumberToText(f.n, format));
                }
                f.count = f.count + 1;
                break;
            }
            f.d = f.d + 1;
        }
        f.n = f.n + 1;
    }

    const std::string list = window.text(TextBox::txt);
    if (f.count == 0) {
        window.setText(TextBox::txt, std::string(texts::kNoPrimes));
    } else if (f.count == 1) {
        window.setText(TextBox::txt, std::string(texts::kOnePrimePrefix) + list);
    } else {
        window.setText(TextBox::txt, std::string(texts::kCountPrefix) +
                                         NumberToText(f.count, format) +
                                         std::string(texts::kCountSuffix) + list);
    }

    window.setFocus(TextBox::txtIni);
    window.setPointer(Pointer::Default);
}

}  // namespace

void cmdCalc_Click_literal(Window& window, const NumberFormat& format) {
    Fields fields;
    try {
        literalSteps(window, format, fields);
    } catch (const std::exception& error) {
        const int number = errorNumberOf(error);
        window.setPointer(Pointer::Default);
        if (number == kOverflowErrorNumber) {
            window.showMessage(errorMessageFor(number), MessageIcon::Critical);
            window.setFocus(TextBox::txtIni);
        } else {
            window.setFocus(TextBox::txtIni);
            window.showMessage(errorMessageFor(number), MessageIcon::Critical);
        }
    }
}

}  // namespace tavix::oracle
