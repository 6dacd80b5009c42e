#include "oracle/listing_literal.hpp"

#include <exception>
#include <string>

#include "oracle/number_reference.hpp"

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
    if (!isNumber(window.text(TextBox::txtIni), format)) {
        return;
    }
    if (!isNumber(window.text(TextBox::txtN), format)) {
        return;
    }
    const double first = readNumber(window.text(TextBox::txtIni));
    const double last = readNumber(window.text(TextBox::txtN));

    if (last < first) {
        window.showMessage("Intervalo inexistente. Verifique.", MessageIcon::Critical);
        window.setFocus(TextBox::txtIni);
        return;
    }

    window.setPointer(Pointer::Hourglass);
    f.n = first;
    if (f.n < 5) {
        f.n = 5;
    }
    f.d = 2;
    f.count = 0;

    if ((last == 2) & (first <= 2)) {
        window.setText(TextBox::txt, "Total de 1 número primo: 2");
        window.setPointer(Pointer::Default);
        return;
    }
    if ((last == 3) & (first <= 2)) {
        window.setText(TextBox::txt, "Total de 2 números primos: 2, 3");
        window.setPointer(Pointer::Default);
        return;
    }
    if (last < 2) {
        window.setText(TextBox::txt, "Não há números primos neste intervalo");
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
            const bool byTwo = remainder32(f.n, 2) == 0;
            const bool byD = remainder32(f.n, f.d) == 0;
            if (byTwo | byD) {
                f.d = 3;
                break;
            }
            const bool byFive = remainder32(f.n, 5) == 0;
            if (byFive & (f.n != 5)) {
                f.d = 3;
                break;
            }
            if (f.d >= f.n / 2 - 1) {
                const std::string list = window.text(TextBox::txt);
                if (list == "") {
                    window.setText(TextBox::txt, printNumber(f.n, format));
                } else {
                    window.setText(TextBox::txt, list + ", " + printNumber(f.n, format));
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
        window.setText(TextBox::txt, "Não há números primos neste intervalo");
    } else if (f.count == 1) {
        window.setText(TextBox::txt, "Total de 1 número primo: " + list);
    } else {
        window.setText(TextBox::txt,
                       "Total de " + printNumber(f.count, format) + " números primos: " + list);
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
        window.setPointer(Pointer::Default);
        if (errorNumber(error) == 6) {
            window.showMessage("Valor acima da memória.", MessageIcon::Critical);
            window.setFocus(TextBox::txtIni);
        } else {
            window.setFocus(TextBox::txtIni);
            window.showMessage("Ocorreu um erro.", MessageIcon::Critical);
        }
    }
}

}  // namespace tavix::oracle
