// What the fuzz targets share: stopping a run on a broken property, reading a click out of
// the fuzzer's bytes, and plain arithmetic to hold the program's answers against.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/number_values.hpp"
#include "core/texts.hpp"
#include "core/window.hpp"
#include "support/recording_window.hpp"

namespace tavix::fuzz {

using testing::RecordingWindow;
using testing::WindowState;

// Stops the run: libFuzzer keeps the input as a crash file and prints how to replay it.
[[noreturn]] inline void fail(const char* property, const std::string& detail) {
    std::fprintf(stderr, "\nproperty broken: %s\n%s\n", property, detail.c_str());
    std::abort();
}

#define TAVIX_REQUIRE(condition, detail)               \
    do {                                               \
        if (!(condition))                              \
            ::tavix::fuzz::fail(#condition, (detail)); \
    } while (false)

// A click as the fuzzer gives it, one field per line:
//   1 txtIni   2 txtN   3 txtV   4 txt   5 lblNumFat   6 lblFator   7 flags
// Missing lines are empty. Inside the three number boxes a vertical tab stands for a line
// feed (the line feed separates the fields); in the columns '/' stands for the carriage
// return between rows, so that seed files stay readable. Flags, one letter each: c the
// decimal-comma format (otherwise the full stop), r the rule on show, i n v t the focus in
// txtIni, txtN, txtV or txt, d a direct call where a target has one. The pointer is always
// the default before a click: the hourglass shows only while a computation runs.
struct Click {
    WindowState prior;
    NumberFormat format = fullStopFormat();
    bool direct = false;
};

inline Click readClick(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields(7);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size && field < fields.size(); ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            ++field;
        } else {
            fields[field].push_back(c);
        }
    }
    for (const int box : {0, 1, 2})
        std::ranges::replace(fields[box], '\v', '\n');
    for (const int column : {4, 5})
        std::ranges::replace(fields[column], '/', kRowSeparator);

    Click click;
    click.prior.txtIni = fields[0];
    click.prior.txtN = fields[1];
    click.prior.txtV = fields[2];
    click.prior.txt = fields[3];
    click.prior.lblNumFat = fields[4];
    click.prior.lblFator = fields[5];
    const std::pair<char, TextBox> focusFlags[] = {
        {'i', TextBox::txtIni}, {'n', TextBox::txtN}, {'v', TextBox::txtV}, {'t', TextBox::txt}};
    for (const char flag : fields[6]) {
        if (flag == 'c')
            click.format = decimalCommaFormat();
        click.prior.ruleVisible |= flag == 'r';
        click.direct |= flag == 'd';
        for (const auto& [letter, box] : focusFlags) {
            if (flag == letter)
                click.prior.focus = box;
        }
    }
    return click;
}

// The click and everything the window recorded, for a failure report.
inline std::string report(const Click& click, const RecordingWindow& window) {
    std::string text = "before: " + testing::describe(click.prior) +
                       "\ndecimal separator: " + click.format.decimalSeparator + "\ncalls:\n";
    for (const std::string& call : window.calls)
        text += "  " + call + "\n";
    text += "after: " + testing::describe(window.state);
    return text;
}

// The properties every click keeps on every way out: the pointer ends at the default, each
// message box finds it already there, and the hourglass, if it shows, shows once and goes.
inline void checkPointer(const Click& click, const RecordingWindow& window) {
    TAVIX_REQUIRE(window.state.pointer == Pointer::Default, report(click, window));
    for (const auto& message : window.messages)
        TAVIX_REQUIRE(message.pointerWhenShown == Pointer::Default, report(click, window));
    int hourglasses = 0;
    for (const std::string& call : window.calls)
        hourglasses += call == "pointer 11" ? 1 : 0;
    TAVIX_REQUIRE(hourglasses <= 1, report(click, window));
}

// Whether the click ever showed the hourglass.
inline bool showedHourglass(const RecordingWindow& window) {
    for (const std::string& call : window.calls) {
        if (call == "pointer 11")
            return true;
    }
    return false;
}

// Whether a text would overflow as the computations read it.
inline bool overflowsWhenRead(std::string_view text) {
    try {
        TextToNumber(text);
        return false;
    } catch (const OverflowError&) {
        return true;
    }
}

// The pieces of `text` between its separators: the rows of a column, the items of a list
// "a, b, c"; none for the empty text.
inline std::vector<std::string> split(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    for (std::size_t start = 0; !text.empty();) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + separator.size();
    }
    return pieces;
}

inline std::vector<std::string> rowsOf(const std::string& caption) {
    return split(caption, std::string_view(&kRowSeparator, 1));
}

// Primality of a number below 2^32 by the Miller–Rabin test with the bases 2, 7 and 61,
// which no composite below 4759123141 passes: a check that shares nothing with the
// program's trial division.
inline bool isPrime(std::uint64_t n) {
    if (n < 2)
        return false;
    for (const std::uint64_t p : {2u, 3u, 5u, 7u, 61u}) {
        if (n % p == 0)
            return n == p;
    }
    std::uint64_t odd = n - 1;
    int twos = 0;
    while (odd % 2 == 0) {
        odd /= 2;
        ++twos;
    }
    auto power = [n](std::uint64_t base, std::uint64_t exponent) {
        std::uint64_t result = 1;
        base %= n;
        for (; exponent; exponent >>= 1) {
            if (exponent & 1)
                result = result * base % n;
            base = base * base % n;
        }
        return result;
    };
    for (const std::uint64_t base : {2u, 7u, 61u}) {
        std::uint64_t x = power(base, odd);
        if (x == 1 || x == n - 1)
            continue;
        bool composite = true;
        for (int i = 1; i < twos && composite; ++i) {
            x = x * x % n;
            composite = x != n - 1;
        }
        if (composite)
            return false;
    }
    return true;
}

// A whole number that prints and compares exactly, as the remainder can take it.
inline bool isWholeInRange(double x) {
    return x >= -2147483648.0 && x <= 2147483647.0 && x == std::trunc(x);
}

}  // namespace tavix::fuzz
