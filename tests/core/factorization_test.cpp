#include <gtest/gtest.h>
#include <string>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using testing::rows;
using testing::WindowState;

RecordingWindow factor(const std::string& text, const NumberFormat& format = fullStopFormat(),
                       WindowState prior = {}) {
    prior.txtV = text;
    RecordingWindow window(prior);
    cmdFatorar_Click(window, format);
    return window;
}

// The rows of n = base^exponent: base^exponent … base over 1, base repeated.
std::pair<std::string, std::string> powerRows(long long base, int exponent) {
    std::string left, right;
    long long n = 1;
    for (int i = 0; i < exponent; ++i)
        n *= base;
    for (int i = 0; i < exponent; ++i, n /= base) {
        left += std::to_string(n) + "/";
        right += (i ? "/" : "") + std::to_string(base);
    }
    return {left + "1", right};
}

constexpr const char* kPrime = "pointer 11 | pointer 0";
constexpr const char* kComposite = "pointer 11 | focus txtV | pointer 0";
constexpr const char* kOverflowWhileReading =
    "pointer 0 | message 16 Valor acima da memória. | focus txtV";
constexpr const char* kOverflow =
    "pointer 11 | pointer 0 | message 16 Valor acima da memória. | focus txtV";

struct Expected {
    const char* text;
    std::string left, right;
    bool rule;
    std::string events;
};

void check(const Expected& c, const NumberFormat& format = fullStopFormat()) {
    const RecordingWindow window = factor(c.text, format);
    EXPECT_EQ(rows(window.state.lblNumFat), c.left) << "txtV [" << c.text << "]";
    EXPECT_EQ(rows(window.state.lblFator), c.right) << "txtV [" << c.text << "]";
    EXPECT_EQ(window.state.ruleVisible, c.rule) << "txtV [" << c.text << "]";
    EXPECT_EQ(window.events(), c.events) << "txtV [" << c.text << "]";
    EXPECT_EQ(window.state.pointer, Pointer::Default) << "txtV [" << c.text << "]";
}

TEST(cmdFatorar_Click, WholeNumbers) {
    const Expected cases[] = {
        {"0", "", "", false, {}},
        {"abc", "", "", false, {}},
        {"-7", "", "", false, {}},
        {"1", "", "", false, "pointer 11 | pointer 0"},
        {"2", "2/1", "2", true, kPrime},
        {"3", "3/1", "3", true, kPrime},
        {"4", "4/2/1", "2/2", true, kComposite},
        {"5", "5/1", "5", true, kPrime},
        {"9", "9/3/1", "3/3", true, kComposite},
        {"25", "25/5/1", "5/5", true, kComposite},
        {"97", "97/1", "97", true, kPrime},
        {"100", "100/50/25/5/1", "2/2/5/5", true, kComposite},
        {"360", "360/180/90/45/15/5/1", "2/2/2/3/3/5", true, kComposite},
        {"007", "7/1", "7", true, kPrime},
        {"2147483646", "2147483646/1073741823/357913941/119304647/17043521/1549411/49981/331/1",
         "2/3/3/7/11/31/151/331", true, kComposite},
        {"2147483647", "2147483647/1", "2147483647", true, kPrime},
        {"2147483578", "2147483578/1073741789/1", "2/1073741789", true, kComposite},
        {"2147117569", "2147117569/46337/1", "46337/46337", true, kComposite},
        {"2147302921", "2147302921/14411429/96721/311/1", "149/149/311/311", true, kComposite},
        {"2147395600",
         "2147395600/1073697800/536848900/268424450/134212225/26842445/5368489/766927/109561/"
         "331/1",
         "2/2/2/2/5/5/7/7/331/331", true, kComposite},
        {"2147210123", "2147210123/46349/1", "46327/46349", true, kComposite},
        {"2147483645", "2147483645/429496729/22605091/1", "5/19/22605091", true, kComposite},
        {"2147483648", "", "", false, kOverflow},
        {"4294967296", "", "", false, kOverflow},
        // Too large for a double: the overflow comes while the text is read, before the
        // hourglass.
        {"1e400", "", "", false, kOverflowWhileReading},
        {"-1e400", "", "", false, kOverflowWhileReading},
        {"1e400x", "", "", false, kOverflowWhileReading},
    };
    for (const auto& c : cases)
        check(c);

    const auto [twoLeft, twoRight] = powerRows(2, 30);
    check({"1073741824", twoLeft, twoRight, true, kComposite});
    const auto [threeLeft, threeRight] = powerRows(3, 19);
    check({"1162261467", threeLeft, threeRight, true, kComposite});
}

TEST(cmdFatorar_Click, PastedFractions) {
    // A fraction whose rounding is composite never reaches 1: its last quotient rounds to 1
    // and the factor divisor climbs until the remainder overflows.
    const Expected fullStop[] = {
        {"7.5", "7.5/3.75/1.875", "2/2/2", false, kOverflow},
        {"4.5", "4.5/2.25", "2/2", false, kOverflow},
        {"9.6", "9.6/4.8", "2/5", false, kOverflow},
        {"12.2", "12.2/6.1/3.05", "2/2/3", false, kOverflow},
        {"2147483646.5",
         "2147483646.5/1073741823.25/357913941.083333/119304647.027778/"
         "17043521.0039683/1549411.00036075/49981.0000116371/331.000000077067",
         "2/3/3/7/11/31/151/331", false, kOverflow},
        {"4.6", "4.6/1", "4.6", true, kPrime},  // rounds to 5
        {"2147483646.6", "2147483646.6/1", "2147483646.6", true, kPrime},
        {"2147483647.5", "", "", false, kOverflow},
        {"2.5", "", "", false, "pointer 11 | pointer 0"},  // the climb never starts
        {"3.5", "", "", false, "pointer 11 | pointer 0"},
        {"0.5", "", "", false, "pointer 11 | pointer 0"},
        {"-7.5", "", "", false, {}},
    };
    for (const auto& c : fullStop)
        check(c);

    check({"7.5", "7,5/3,75/1,875", "2/2/2", false, kOverflow}, decimalCommaFormat());
    check({"7,5", "7/1", "7", true, kPrime}, decimalCommaFormat());
}

TEST(cmdFatorar_Click, DependsOnTheTableAlreadyOnShow) {
    WindowState shown = testing::windowOnShow(1, "");  // the table of 12, the focus in txtV

    // An empty text leaves everything as it was.
    RecordingWindow empty = factor("", fullStopFormat(), shown);
    shown.txtV = "";
    EXPECT_EQ(empty.state, shown);
    EXPECT_TRUE(empty.calls.empty());

    const struct {
        const char* text;
        std::string left, right;
        bool rule;
    } cases[] = {
        {"3", "3/1", "3", true},       {"1", "", "", false},
        {"0", "", "", false},          {"1.2", "", "", false},
        {"abc", "", "", false},        {"10", "10/5/1", "2/5", true},
        {"2147483648", "", "", false}, {"7.5", "7.5/3.75/1.875", "2/2/2", false},
    };
    for (const auto& c : cases) {
        const RecordingWindow window = factor(c.text, fullStopFormat(), shown);
        EXPECT_EQ(rows(window.state.lblNumFat), c.left) << c.text;
        EXPECT_EQ(rows(window.state.lblFator), c.right) << c.text;
        EXPECT_EQ(window.state.ruleVisible, c.rule) << c.text;
    }

    // Factoring the same number twice gives the same table.
    RecordingWindow twice = factor("360");
    cmdFatorar_Click(twice, fullStopFormat());
    EXPECT_EQ(rows(twice.state.lblNumFat), "360/180/90/45/15/5/1");
    EXPECT_EQ(rows(twice.state.lblFator), "2/2/2/3/3/5");
}

TEST(cmdFatorar_Click, TheFocusMovesOnlyAfterACompositeOrAnError) {
    WindowState prior;
    prior.focus = TextBox::txtIni;
    for (const char* text : {"", "0", "1", "2", "97", "2147483647"}) {
        EXPECT_EQ(factor(text, fullStopFormat(), prior).state.focus, TextBox::txtIni) << text;
    }
    for (const char* text : {"4", "2147483646", "2147483648", "7.5"}) {
        EXPECT_EQ(factor(text, fullStopFormat(), prior).state.focus, TextBox::txtV) << text;
    }
}

TEST(cmdFatorar_Click, AnErrorKeepsTheRowsWrittenSoFar) {
    // The fifth caption write fails: two to empty the table, the first row, then the right
    // column of the second row.
    RecordingWindow window;
    window.state.txtV = "360";
    window.state.ruleVisible = true;
    int writes = 0;
    window.beforeWrite = [&] {
        if (++writes == 5)
            throw std::bad_alloc();
    };
    cmdFatorar_Click(window, fullStopFormat());
    EXPECT_EQ(rows(window.state.lblNumFat), "360");
    EXPECT_EQ(rows(window.state.lblFator), "2");
    EXPECT_FALSE(window.state.ruleVisible);
    EXPECT_EQ(window.events(), "pointer 11 | pointer 0 | message 16 Ocorreu um erro. | focus txtV");
}

TEST(FatorarNumero, AddsRowsBelowATableAlreadyStarted) {
    WindowState prior;
    prior.txtV = "12";
    prior.lblNumFat = "x";
    prior.lblFator = "y";
    RecordingWindow window(prior);
    FatorarNumero(window, fullStopFormat());
    EXPECT_EQ(rows(window.state.lblNumFat), "x/12/6/3/1");
    EXPECT_EQ(rows(window.state.lblFator), "y/2/2/3");

    // An empty right column starts a new table, whatever the left one holds.
    prior.lblFator = "";
    RecordingWindow fresh(prior);
    FatorarNumero(fresh, fullStopFormat());
    EXPECT_EQ(rows(fresh.state.lblNumFat), "12/6/3/1");
    EXPECT_EQ(rows(fresh.state.lblFator), "2/2/3");
}

}  // namespace
}  // namespace tavix
