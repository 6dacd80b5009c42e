#include "oracle/verify_literal.hpp"

#include <exception>
#include <string>

#include "oracle/number_reference.hpp"

namespace tavix::oracle {

void literalVerify(Window& window, const NumberFormat& format, PassBudget& budget) {
    double n = 0;
    double d = 0;
    try {
        if (window.text(TextBox::txtV) == "")
            return;
        if (!isNumber(window.text(TextBox::txtV), format))
            return;
        window.setPointer(Pointer::Hourglass);
        n = readNumber(window.text(TextBox::txtV));
        d = 2;

        bool prime = false;
        bool decided = false;
        if (n == 2 || n == 3) {
            prime = true;
            decided = true;
        } else {
            const bool a = n == 1;
            const bool b = remainder32(n, 2) == 0;
            const bool c = n < 0;
            if (a | b | c) {
                prime = false;
                decided = true;
            } else {
                while (d <= n / 2) {
                    budget.spend();
                    if (remainder32(n, d) == 0) {
                        prime = false;
                        decided = true;
                        break;
                    } else if (d >= n / 2 - 1) {
                        prime = true;
                        decided = true;
                        break;
                    } else {
                        d = d + 1;
                    }
                }
            }
        }

        if (!decided) {
            window.setPointer(Pointer::Default);
            return;
        }
        window.setPointer(Pointer::Default);
        if (prime) {
            window.showMessage(printNumber(n, format) + " é um número primo",
                               MessageIcon::Information);
        } else {
            window.showMessage(printNumber(n, format) + " não é um número primo",
                               MessageIcon::Exclamation);
        }
    } catch (const std::exception& error) {
        window.setPointer(Pointer::Default);
        if (errorNumber(error) == 6) {
            window.showMessage("Valor acima da memória.", MessageIcon::Critical);
        } else {
            window.showMessage("Ocorreu um erro.", MessageIcon::Critical);
        }
        window.setFocus(TextBox::txtV);
    }
}

}  // namespace tavix::oracle
