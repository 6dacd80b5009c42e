// Texts pasted into the number boxes can be anything, of any length: a million digits, a
// million blanks, other scripts, bytes that are not UTF-8. Each computation must give its
// ordinary outcome for them (an overflow report, a silent end, or the number read) and
// come back, never crash or hang.
#include <gtest/gtest.h>
#include <string>

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;

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

constexpr const char* kOverflowInV =
    "pointer 11 | pointer 0 | message 16 Valor acima da memória. | focus txtV";
constexpr const char* kOverflowWhileReadingV =
    "pointer 0 | message 16 Valor acima da memória. | focus txtV";
constexpr const char* kOverflowWhileReadingIni =
    "pointer 0 | message 16 Valor acima da memória. | focus txtIni";
constexpr const char* kQuick = "pointer 11 | pointer 0";
constexpr const char* kLoop = "pointer 11 | focus txtIni | pointer 0";

TEST(cmdCalc_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    // The long text goes into one box, the other holds a short number.
    static const struct {
        const char* name;
        const std::string& text;
        bool inFirst;
        const char* other;
        const char* txt;
        const char* events;
    } cases[] = {
        {"a million digits", kDigits, true, "30", "", kOverflowWhileReadingIni},
        {"a million digits", kDigits, false, "10", "", kOverflowWhileReadingIni},
        {"a huge exponent", kHugeExponent, false, "10", "", kOverflowWhileReadingIni},
        {"a tiny exponent", kTinyExponent, false, "0", "Não há números primos neste intervalo",
         kQuick},
        {"zeros, then 7", kZerosThenSeven, true, "30",
         "Total de 7 números primos: 7, 11, 13, 17, 19, 23, 29", kLoop},
        {"zeros, then 7", kZerosThenSeven, false, "", "Total de 4 números primos: 2, 3, 5, 7",
         kLoop},
        {"a million groups", kGroups, true, "30",
         "Total de 10 números primos: 2, 3, 5, 7, 11, 13, 17, 19, 23, 29", kLoop},
        {"blanks around 7", kBlanksAroundSeven, false, "0", "Total de 4 números primos: 2, 3, 5, 7",
         kLoop},
        {"a million blanks", kBlanks, true, "30", "", ""},
        {"a million blanks", kBlanks, false, "", "", ""},
        {"mixed scripts", kScripts, true, "30", "", ""},
        {"digits, then mixed scripts", kDigitsThenScripts, false, "10", "", ""},
        {"invalid UTF-8", kInvalidUtf8, false, "10", "", ""},
        {"digits, then invalid UTF-8", kDigitsThenInvalid, true, "10", "", ""},
    };
    for (const auto& c : cases) {
        RecordingWindow window(
            testing::withInterval(c.inFirst ? c.text : c.other, c.inFirst ? c.other : c.text));
        cmdCalc_Click(window, fullStopFormat());
        const std::string where = std::string(c.name) + (c.inFirst ? " in txtIni" : " in txtN");
        EXPECT_EQ(window.state.txt, c.txt) << where;
        EXPECT_EQ(window.events(), c.events) << where;
    }
}

TEST(cmdV_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    static const struct {
        const char* name;
        const std::string& text;
        const char* events;
    } cases[] = {
        {"a million digits", kDigits, kOverflowInV},
        {"a huge exponent", kHugeExponent, kOverflowInV},
        {"a tiny exponent", kTinyExponent,
         "pointer 11 | pointer 0 | message 48 0 não é um número primo"},
        {"zeros, then 7", kZerosThenSeven,
         "pointer 11 | pointer 0 | message 64 7 é um número primo"},
        {"a million groups", kGroups,
         "pointer 11 | pointer 0 | message 48 1 não é um número primo"},
        {"a million blanks", kBlanks, ""},
        {"blanks around 7", kBlanksAroundSeven,
         "pointer 11 | pointer 0 | message 64 7 é um número primo"},
        {"mixed scripts", kScripts, ""},
        {"digits, then mixed scripts", kDigitsThenScripts, ""},
        {"invalid UTF-8", kInvalidUtf8, ""},
        {"digits, then invalid UTF-8", kDigitsThenInvalid, ""},
    };
    for (const auto& c : cases) {
        RecordingWindow window;
        window.state.txtV = c.text;
        cmdV_Click(window, fullStopFormat());
        EXPECT_EQ(window.events(), c.events) << c.name;
    }
}

TEST(cmdFatorar_ClickWithLongTexts, GivesTheOrdinaryOutcome) {
    // Reading the number overflows before the table is touched: the old one stays, without
    // its rule.
    static const struct {
        const char* name;
        const std::string& text;
        const char* left;
        const char* right;
        bool rule;
        const char* events;
    } cases[] = {
        {"a million digits", kDigits, "12\r6\r3\r1", "2\r2\r3", false, kOverflowWhileReadingV},
        {"a huge exponent", kHugeExponent, "12\r6\r3\r1", "2\r2\r3", false, kOverflowWhileReadingV},
        {"a tiny exponent", kTinyExponent, "", "", false, ""},
        {"zeros, then 7", kZerosThenSeven, "7\r1", "7", true, kQuick},
        {"a million groups", kGroups, "", "", false, kQuick},
        {"a million blanks", kBlanks, "", "", false, ""},
        {"blanks around 7", kBlanksAroundSeven, "7\r1", "7", true, kQuick},
        {"mixed scripts", kScripts, "", "", false, ""},
        {"digits, then mixed scripts", kDigitsThenScripts, "", "", false, ""},
        {"invalid UTF-8", kInvalidUtf8, "", "", false, ""},
        {"digits, then invalid UTF-8", kDigitsThenInvalid, "", "", false, ""},
    };
    for (const auto& c : cases) {
        RecordingWindow window(testing::windowOnShow(1, c.text));  // the table of 12 on show
        cmdFatorar_Click(window, fullStopFormat());
        EXPECT_EQ(window.state.lblNumFat, c.left) << c.name;
        EXPECT_EQ(window.state.lblFator, c.right) << c.name;
        EXPECT_EQ(window.state.ruleVisible, c.rule) << c.name;
        EXPECT_EQ(window.events(), c.events) << c.name;
    }
}

}  // namespace
}  // namespace tavix
