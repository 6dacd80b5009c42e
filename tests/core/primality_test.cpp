#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using Calls = std::vector<std::string>;

Calls verifyCalls(const std::string& text, const NumberFormat& format = fullStopFormat()) {
    RecordingWindow window;
    window.state.txtV = text;
    cmdV_Click(window, format);
    return window.calls;
}

Calls verdict(const std::string& message, int icon) {
    return {"pointer 11", "pointer 0", "message " + std::to_string(icon) + " " + message};
}
Calls prime(const std::string& number) {
    return verdict(number + " é um número primo", 64);
}
Calls notPrime(const std::string& number) {
    return verdict(number + " não é um número primo", 48);
}
const Calls kOverflowReport = {"pointer 11", "pointer 0", "message 16 Valor acima da memória.",
                               "focus txtV"};
const Calls kNoVerdict = {"pointer 11", "pointer 0"};

TEST(cmdV_Click, WholeNumbers) {
    const struct {
        const char* text;
        Calls calls;
    } cases[] = {
        {"", {}},
        {"abc", {}},
        {"12abc", {}},
        {"0", notPrime("0")},
        {"1", notPrime("1")},
        {"2", prime("2")},
        {"3", prime("3")},
        {"4", notPrime("4")},
        {"5", prime("5")},
        {"9", notPrime("9")},
        {"25", notPrime("25")},
        {"97", prime("97")},
        {"100", notPrime("100")},
        {"360", notPrime("360")},
        {"007", prime("7")},
        {" 11 ", prime("11")},
        {"2147483647", prime("2147483647")},
        {"2147483629", prime("2147483629")},
        {"2147483646", notPrime("2147483646")},
        {"2147483645", notPrime("2147483645")},
        {"2147117569", notPrime("2147117569")},  // 46337²
        {"2147302921", notPrime("2147302921")},  // 46339² = 149² × 311²
        {"2147395600", notPrime("2147395600")},  // 46340²
        {"2147210123", notPrime("2147210123")},  // 46327 × 46349
        {"1073741789", prime("1073741789")},
        {"2147483648", kOverflowReport},
        {"4294967296", kOverflowReport},
        {"1e400", kOverflowReport},
        {"-7", notPrime("-7")},
        {"-2147483648", notPrime("-2147483648")},
        {"-2147483649", kOverflowReport},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(verifyCalls(c.text), c.calls) << "txtV [" << c.text << "]";
    }
}

TEST(cmdV_Click, PastedFractionsRoundOnlyInTheRemainder) {
    const struct {
        const char* text;
        NumberFormat format;
        Calls calls;
    } cases[] = {
        {"2.5", fullStopFormat(), notPrime("2.5")},  // rounds to 2
        {"3.5", fullStopFormat(), notPrime("3.5")},  // rounds to 4
        {"7.5", fullStopFormat(), notPrime("7.5")},  // rounds to 8
        {"4.6", fullStopFormat(), prime("4.6")},     // rounds to 5
        {"8.6", fullStopFormat(), notPrime("8.6")},  // rounds to 9
        {"1.2", fullStopFormat(), kNoVerdict},
        {"0.7", fullStopFormat(), kNoVerdict},
        {"2.7", fullStopFormat(), kNoVerdict},  // rounds to 3, but the climb never starts
        {"3.4", fullStopFormat(), kNoVerdict},
        {"2147483647.4", fullStopFormat(), prime("2147483647.4")},
        {"2147483647.5", fullStopFormat(), kOverflowReport},
        {"-2147483648.5", fullStopFormat(), notPrime("-2147483648.5")},
        {"2.5", decimalCommaFormat(), notPrime("2,5")},  // the full stop reads as grouping
        {"2,5", decimalCommaFormat(), prime("2")},       // the comma ends the number read
        {"2,5", fullStopFormat(), prime("2")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(verifyCalls(c.text, c.format), c.calls)
            << "txtV [" << c.text << "] decimal [" << c.format.decimalSeparator << "]";
    }
}

TEST(cmdV_Click, LeavesTheRestOfTheWindowAlone) {
    testing::WindowState before = testing::windowOnShow(1, "91");  // a table on show
    before.focus = TextBox::txtIni;
    RecordingWindow window(before);
    cmdV_Click(window, fullStopFormat());
    EXPECT_EQ(window.state, before);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].pointerWhenShown, Pointer::Default);
}

TEST(cmdV_Click, OtherErrorsAreReportedAsSuch) {
    // A failure that is not an overflow, here while the verdict is being shown.
    struct FailingWindow : RecordingWindow {
        bool failed = false;
        void showMessage(std::string_view message, MessageIcon icon) override {
            if (!failed) {
                failed = true;
                throw std::bad_alloc();
            }
            RecordingWindow::showMessage(message, icon);
        }
    } window;
    window.state.txtV = "7";
    cmdV_Click(window, fullStopFormat());
    EXPECT_EQ(window.calls, (Calls{"pointer 11", "pointer 0", "pointer 0",
                                   "message 16 Ocorreu um erro.", "focus txtV"}));
}

}  // namespace
}  // namespace tavix
