// Texts pasted into the number boxes can be anything, of any length: a million digits, a
// million blanks, other scripts, bytes that are not UTF-8. Each computation must give its
// ordinary outcome for them (an overflow report, a silent end, or the number read) and
// come back, never crash or hang.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using testing::WindowState;
using Calls = std::vector<std::string>;

constexpr std::size_t kMillion = 1'000'000;

std::string repeated(std::string_view piece, std::size_t length) {
    std::string text;
    text.reserve(length + piece.size());
    while (text.size() < length)
        text += piece;
    return text;
}

const std::string kDigits(kMillion, '9');
const std::string kZerosThenSeven = std::string(kMillion - 1, '0') + "7";
const std::string kBlanks(kMillion, ' ');
const std::string kBlanksAroundSeven = std::string(kMillion / 2, ' ') + "7" + kBlanks;
const std::string kScripts = repeated("٣٤٥ 数字 число ①½ 𝟕 ", kMillion);
const std::string kDigitsThenScripts = "12" + kScripts;
const std::string kInvalidUtf8 =
    repeated("\xff\xfe\xc3\x28\xa0\xa1\xe2\x28\xa1\xf0\x28\x8c\xbc\xc0\x80", kMillion);
const std::string kDigitsThenInvalid = "12" + kInvalidUtf8;
const std::string kGroups = "1" + repeated(",000", kMillion);  // numeric with a full stop
const std::string kHugeExponent = "1e" + kDigits;
const std::string kTinyExponent = "1e-" + kDigits;

// Names for the failure messages: the texts themselves are too long to print.
struct LongText {
    const char* name;
    const std::string& text;
};

const Calls kOverflowReport = {"pointer 11", "pointer 0", "message 16 Valor acima da memória.",
                               "focus txtV"};

Calls verdict(const std::string& message, int icon) {
    return {"pointer 11", "pointer 0", "message " + std::to_string(icon) + " " + message};
}

TEST(cmdCalc_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    const std::string tenToThirty = "Total de 6 números primos: 11, 13, 17, 19, 23, 29";
    const std::string upToThirty = "Total de 10 números primos: 2, 3, 5, 7, 11, 13, 17, 19, 23, 29";
    const std::string sevenToThirty = "Total de 7 números primos: 7, 11, 13, 17, 19, 23, 29";
    const std::string upToSeven = "Total de 4 números primos: 2, 3, 5, 7";
    const std::string overflow(texts::kOverflow);
    // The long text goes into one box, the other holds a short number. "" for the message:
    // none; "silent": no message, no hourglass, txt left empty.
    const struct {
        LongText text;
        TextBox box;
        const char* other;
        std::string txt;
        std::string message;
    } cases[] = {
        {{"a million digits", kDigits}, TextBox::txtIni, "30", "", overflow},
        {{"a million digits", kDigits}, TextBox::txtN, "10", "", overflow},
        {{"a huge exponent", kHugeExponent}, TextBox::txtN, "10", "", overflow},
        {{"a tiny exponent", kTinyExponent}, TextBox::txtN, "0", std::string(texts::kNoPrimes), ""},
        {{"zeros, then 7", kZerosThenSeven}, TextBox::txtIni, "30", sevenToThirty, ""},
        {{"zeros, then 7", kZerosThenSeven}, TextBox::txtN, "", upToSeven, ""},
        {{"a million groups", kGroups}, TextBox::txtIni, "30", upToThirty, ""},
        {{"blanks around 7", kBlanksAroundSeven}, TextBox::txtN, "0", upToSeven, ""},
        {{"a million blanks", kBlanks}, TextBox::txtIni, "30", "", "silent"},
        {{"a million blanks", kBlanks}, TextBox::txtN, "", "", "silent"},
        {{"mixed scripts", kScripts}, TextBox::txtIni, "30", "", "silent"},
        {{"digits, then mixed scripts", kDigitsThenScripts}, TextBox::txtN, "10", "", "silent"},
        {{"invalid UTF-8", kInvalidUtf8}, TextBox::txtN, "10", "", "silent"},
        {{"digits, then invalid UTF-8", kDigitsThenInvalid}, TextBox::txtIni, "10", "", "silent"},
    };
    for (const auto& c : cases) {
        const bool first = c.box == TextBox::txtIni;
        WindowState prior;
        prior.txtIni = first ? c.text.text : c.other;
        prior.txtN = first ? c.other : c.text.text;
        prior.txt = "resultado anterior";
        RecordingWindow window(prior);
        cmdCalc_Click(window, fullStopFormat());
        const char* where = first ? " in txtIni" : " in txtN";
        EXPECT_EQ(window.state.txt, c.txt) << c.text.name << where;
        EXPECT_EQ(window.state.pointer, Pointer::Default) << c.text.name << where;
        if (c.message == "silent") {
            EXPECT_TRUE(window.messages.empty()) << c.text.name << where;
            EXPECT_EQ(window.state.focus, std::nullopt) << c.text.name << where;
            for (const std::string& call : window.calls)
                EXPECT_FALSE(call.starts_with("pointer")) << c.text.name << where;
        } else if (c.message.empty()) {
            EXPECT_TRUE(window.messages.empty()) << c.text.name << where;
        } else {
            ASSERT_EQ(window.messages.size(), 1u) << c.text.name << where;
            EXPECT_EQ(window.messages[0].text, c.message) << c.text.name << where;
            EXPECT_EQ(window.state.focus, TextBox::txtIni) << c.text.name << where;
        }
    }
}

TEST(cmdV_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    const struct {
        LongText text;
        Calls calls;
    } cases[] = {
        {{"a million digits", kDigits}, kOverflowReport},
        {{"a huge exponent", kHugeExponent}, kOverflowReport},
        {{"a tiny exponent", kTinyExponent}, verdict("0 não é um número primo", 48)},
        {{"zeros, then 7", kZerosThenSeven}, verdict("7 é um número primo", 64)},
        {{"a million groups", kGroups}, verdict("1 não é um número primo", 48)},
        {{"a million blanks", kBlanks}, {}},
        {{"blanks around 7", kBlanksAroundSeven}, verdict("7 é um número primo", 64)},
        {{"mixed scripts", kScripts}, {}},
        {{"digits, then mixed scripts", kDigitsThenScripts}, {}},
        {{"invalid UTF-8", kInvalidUtf8}, {}},
        {{"digits, then invalid UTF-8", kDigitsThenInvalid}, {}},
    };
    for (const auto& c : cases) {
        RecordingWindow window;
        window.state.txtV = c.text.text;
        cmdV_Click(window, fullStopFormat());
        EXPECT_EQ(window.calls, c.calls) << c.text.name;
    }
}

TEST(cmdFatorar_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    // Reading the number overflows before the table is touched: the old one stays, without
    // its rule.
    const Calls overflowWhileReading = {"pointer 0", "message 16 Valor acima da memória.",
                                        "focus txtV"};
    const struct {
        LongText text;
        const char* left;
        const char* right;
        bool rule;
        Calls events;
    } cases[] = {
        {{"a million digits", kDigits}, "12\r6\r3\r1", "2\r2\r3", false, overflowWhileReading},
        {{"a huge exponent", kHugeExponent}, "12\r6\r3\r1", "2\r2\r3", false, overflowWhileReading},
        {{"a tiny exponent", kTinyExponent}, "", "", false, {}},
        {{"zeros, then 7", kZerosThenSeven}, "7\r1", "7", true, {"pointer 11", "pointer 0"}},
        {{"a million groups", kGroups}, "", "", false, {"pointer 11", "pointer 0"}},
        {{"a million blanks", kBlanks}, "", "", false, {}},
        {{"blanks around 7", kBlanksAroundSeven}, "7\r1", "7", true, {"pointer 11", "pointer 0"}},
        {{"mixed scripts", kScripts}, "", "", false, {}},
        {{"digits, then mixed scripts", kDigitsThenScripts}, "", "", false, {}},
        {{"invalid UTF-8", kInvalidUtf8}, "", "", false, {}},
        {{"digits, then invalid UTF-8", kDigitsThenInvalid}, "", "", false, {}},
    };
    for (const auto& c : cases) {
        WindowState prior;
        prior.txtV = c.text.text;
        prior.lblNumFat = "12\r6\r3\r1";
        prior.lblFator = "2\r2\r3";
        prior.ruleVisible = true;
        RecordingWindow window(prior);
        cmdFatorar_Click(window, fullStopFormat());
        Calls events;
        for (const std::string& call : window.calls) {
            if (call.starts_with("pointer") || call.starts_with("message") ||
                call.starts_with("focus"))
                events.push_back(call);
        }
        EXPECT_EQ(window.state.lblNumFat, c.left) << c.text.name;
        EXPECT_EQ(window.state.lblFator, c.right) << c.text.name;
        EXPECT_EQ(window.state.ruleVisible, c.rule) << c.text.name;
        EXPECT_EQ(events, c.events) << c.text.name;
    }
}

}  // namespace
}  // namespace tavix
