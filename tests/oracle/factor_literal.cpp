#include "oracle/factor_literal.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "oracle/number_reference.hpp"

namespace tavix::oracle {

namespace {

void reportError(Window& window, const std::exception& error) {
    window.setRuleVisible(false);
    window.setPointer(Pointer::Default);
    if (errorNumber(error) == 6) {
        window.showMessage("Valor acima da memória.", MessageIcon::Critical);
    } else {
        window.showMessage("Ocorreu um erro.", MessageIcon::Critical);
    }
    window.setFocus(TextBox::txtV);
}

}  // namespace

FatorarEnding literalFatorar(Window& window, const NumberFormat& format, PassBudget& budget,
                             const FactorOptions& options) {
    double n = 0;
    double d = 0;
    try {
        if (window.text(TextBox::txtV) == "")
            return FatorarEnding::Other;
        const bool numeric = isNumber(window.text(TextBox::txtV), format);
        const bool positive = readNumber(window.text(TextBox::txtV)) > 0;
        if (!numeric | !positive) {
            window.setCaption(FactorColumn::lblFator, "");
            window.setCaption(FactorColumn::lblNumFat, "");
            window.setRuleVisible(false);
            return FatorarEnding::Other;
        }

        window.setPointer(Pointer::Hourglass);
        n = readNumber(window.text(TextBox::txtV));
        d = 2;
        window.setCaption(FactorColumn::lblFator, "");
        window.setCaption(FactorColumn::lblNumFat, "");

        if (n == 2 || n == 3) {
            window.setCaption(FactorColumn::lblFator, printNumber(n, format));
            window.setPointer(Pointer::Default);
            return FatorarEnding::TwoOrThree;
        }

        while (d <= n / 2) {
            budget.spend();
            if (remainder32(n, d) == 0) {
                literalFatorarNumero(window, format, budget, options);
                return FatorarEnding::Other;
            } else if (d >= n / 2 - 1) {
                window.setCaption(FactorColumn::lblNumFat,
                                  printNumber(n, format) + std::string(1, '\r') + "1");
                window.setCaption(FactorColumn::lblFator, printNumber(n, format));
                window.setRuleVisible(true);
                window.setPointer(Pointer::Default);
                return FatorarEnding::Other;
            } else {
                d = d + 1;
            }
        }
        window.setPointer(Pointer::Default);
        return FatorarEnding::LoopNotEntered;
    } catch (const std::exception& error) {
        reportError(window, error);
        return FatorarEnding::Other;
    }
}

void literalFatorarNumero(Window& window, const NumberFormat& format, PassBudget& budget,
                          const FactorOptions& options) {
    const bool skipHopelessClimb = options.skipHopelessClimb;
    double n = 0;
    double f = 0;
    try {
        f = 2;
        n = readNumber(window.text(TextBox::txtV));
        while (n != 1) {
            budget.spend();
            if (remainder32(n, f) == 0) {
                if (window.caption(FactorColumn::lblFator) == "") {
                    window.setCaption(FactorColumn::lblFator, printNumber(f, format));
                    window.setCaption(FactorColumn::lblNumFat, printNumber(n, format));
                } else {
                    window.setCaption(
                        FactorColumn::lblFator,
                        window.caption(FactorColumn::lblFator) + '\r' + printNumber(f, format));
                    window.setCaption(
                        FactorColumn::lblNumFat,
                        window.caption(FactorColumn::lblNumFat) + '\r' + printNumber(n, format));
                }
                n = n / f;
            } else {
                f = f + 1;
                if (skipHopelessClimb && std::fabs(n) > 0.5 && std::fabs(n) < 1.5) {
                    f = std::max(f, 2147483647.0);
                }
            }
        }
        window.setCaption(FactorColumn::lblNumFat,
                          window.caption(FactorColumn::lblNumFat) + '\r' + "1");
        window.setRuleVisible(true);
        window.setFocus(TextBox::txtV);
        window.setPointer(Pointer::Default);
    } catch (const std::exception& error) {
        reportError(window, error);
    }
}

// ---- The mends, applied to the outcome of the literal click ----

namespace {

// Passes every call through, except that it holds back a return of the pointer to the
// default until the next call or release(): the mends then go in before it.
class ClosingPointerHeldBack : public Window {
  public:
    explicit ClosingPointerHeldBack(Window& inner) : inner_(inner) {}

    void release() {
        if (held_) {
            held_ = false;
            inner_.setPointer(Pointer::Default);
        }
    }

    std::string text(TextBox box) const override { return inner_.text(box); }
    void setResultText(ResultTextPtr text) override {
        release();
        inner_.setResultText(std::move(text));
    }
    std::string caption(FactorColumn column) const override { return inner_.caption(column); }
    void setCaption(FactorColumn column, std::string caption) override {
        release();
        inner_.setCaption(column, std::move(caption));
    }
    void setRuleVisible(bool visible) override {
        release();
        inner_.setRuleVisible(visible);
    }
    void setPointer(Pointer pointer) override {
        release();
        if (pointer == Pointer::Default) {
            held_ = true;
        } else {
            inner_.setPointer(pointer);
        }
    }
    void setFocus(TextBox box) override {
        release();
        inner_.setFocus(box);
    }
    void showMessage(std::string_view message, MessageIcon icon) override {
        release();
        inner_.showMessage(message, icon);
    }

  protected:
    void setBoxText(TextBox box, std::string text) override {
        release();
        inner_.setText(box, std::move(text));
    }

  private:
    Window& inner_;
    bool held_ = false;
};

}  // namespace

void mendedFatorar(Window& window, const NumberFormat& format, PassBudget& budget,
                   const FactorOptions& options) {
    ClosingPointerHeldBack held(window);
    const FatorarEnding ending = literalFatorar(held, format, budget, options);
    if (ending == FatorarEnding::TwoOrThree) {
        const std::string number = printNumber(readNumber(window.text(TextBox::txtV)), format);
        window.setCaption(FactorColumn::lblNumFat, number + '\r' + "1");
        window.setCaption(FactorColumn::lblFator, number);
        window.setRuleVisible(true);
    } else if (ending == FatorarEnding::LoopNotEntered) {
        window.setRuleVisible(false);
    }
    held.release();
}

}  // namespace tavix::oracle
