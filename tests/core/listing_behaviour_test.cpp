// "Calcular" as a user sees it: texts, messages, focus and pointer.
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/computations.hpp"
#include "oracle/listing_literal.hpp"
#include "support/listing_reference.hpp"
#include "support/process_memory.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::listed;
using testing::RecordingWindow;
using testing::WindowState;
using testing::withCountLine;

TEST(Listing, ResultTexts) {
    const struct {
        const char* ini;
        const char* last;
        std::string txt;
    } cases[] = {
        {"0", "30", withCountLine(10, "2, 3, 5, 7, 11, 13, 17, 19, 23, 29")},
        {"10", "30", withCountLine(6, "11, 13, 17, 19, 23, 29")},
        {"100", "130", withCountLine(6, "101, 103, 107, 109, 113, 127")},
        {"2", "2", "Total de 1 número primo: 2"},
        {"0", "2", "Total de 1 número primo: 2"},
        {"1", "3", "Total de 2 números primos: 2, 3"},
        {"0", "1", "Não há números primos neste intervalo"},
        {"0", "4", withCountLine(2, "2, 3")},
        {"2", "4", withCountLine(2, "2, 3")},
        {"3", "3", withCountLine(1, "3")},
        {"3", "5", withCountLine(2, "3, 5")},
        {"3", "10", withCountLine(3, "3, 5, 7")},
        {"4", "4", "Não há números primos neste intervalo"},
        {"24", "28", "Não há números primos neste intervalo"},
        {"49", "49", "Não há números primos neste intervalo"},
        {"5", "5", withCountLine(1, "5")},
        {"4", "10", withCountLine(2, "5, 7")},
        {"007", "011", withCountLine(2, "7, 11")},
        {"2147483640", "2147483646", "Não há números primos neste intervalo"},
        {"2147483629", "2147483647", withCountLine(2, "2147483629, 2147483647")},
        {"2.5", "10", withCountLine(2, "5, 7")},
        {"-7", "7", withCountLine(4, "2, 3, 5, 7")},
        {"0", "2.5", withCountLine(2, "2, 3")},
        {"9999", "10009", withCountLine(2, "10007, 10009")},
        {"99990", "100003", withCountLine(2, "99991, 100003")},
    };
    for (const auto& c : cases) {
        const RecordingWindow window = listed(c.ini, c.last);
        EXPECT_EQ(window.state.txt, c.txt) << c.ini << " to " << c.last;
        EXPECT_EQ(window.state.pointer, Pointer::Default);
        EXPECT_TRUE(window.messages.empty());
    }
}

TEST(Listing, FractionsStayWithTheCandidates) {
    const struct {
        const char* ini;
        const char* last;
        NumberFormat format;
        std::string txt;
    } cases[] = {
        // 5.3 rounds to 5 but is not 5; 6.3 rounds to 6; 7.3 to 7.
        {"5.3", "12", fullStopFormat(), withCountLine(2, "7.3, 11.3")},
        {"5.3", "12", decimalCommaFormat(), withCountLine(2, "7,3, 11,3")},
        {"5.7", "12", decimalCommaFormat(), withCountLine(2, "6,7, 10,7")},
        // 6.6 rounds to 7 and prints as it is.
        {"6.6", "11", fullStopFormat(), withCountLine(2, "6.6, 10.6")},
        // x.5 rounds to the even neighbour: nothing is prime.
        {"5.5", "40", fullStopFormat(), "Não há números primos neste intervalo"},
        // Under a decimal comma, the comma ends the number TextToNumber reads.
        {"6,6", "11", decimalCommaFormat(), withCountLine(2, "7, 11")},
        {"0", "1.5e1", fullStopFormat(), withCountLine(6, "2, 3, 5, 7, 11, 13")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(listed(c.ini, c.last, c.format).state.txt, c.txt) << c.ini << " to " << c.last;
    }
}

TEST(Listing, FocusMovesOnlyAfterTheLoop) {
    EXPECT_EQ(listed("0", "30").state.focus, TextBox::txtIni);
    EXPECT_EQ(listed("4", "4").state.focus, TextBox::txtIni);
    EXPECT_EQ(listed("0", "2").state.focus, TextBox::txtN);  // fixed answer
    EXPECT_EQ(listed("1", "1").state.focus, TextBox::txtN);
    const RecordingWindow window = listed("10", "30");
    EXPECT_EQ(window.calls.back(), "pointer 0");
    EXPECT_EQ(window.calls[window.calls.size() - 2], "focus txtIni");
}

TEST(Listing, SilentEnds) {
    const struct {
        const char* ini;
        const char* last;
        const char* iniAfter;
    } cases[] = {
        {"", "", ""}, {"", "10x", "0"}, {"5", "", "5"}, {"abc", "10", "abc"}, {"1 2", "10", "1 2"},
    };
    for (const auto& c : cases) {
        const RecordingWindow window = listed(c.ini, c.last);
        EXPECT_EQ(window.state.txt, "");
        EXPECT_EQ(window.state.txtIni, c.iniAfter);
        EXPECT_TRUE(window.transcript.empty()) << "no pointer, focus or message";
    }
    EXPECT_EQ(listed("", "10").state.txt, withCountLine(4, "2, 3, 5, 7"));
}

TEST(Listing, EmptyIntervalIsReported) {
    const RecordingWindow window = listed("10", "5");
    ASSERT_EQ(window.calls.size(), 3u);
    EXPECT_EQ(window.calls[1], "message 16 Intervalo inexistente. Verifique.");
    EXPECT_EQ(window.calls[2], "focus txtIni");
    EXPECT_EQ(window.state.txt, "");
    EXPECT_EQ(window.messages[0].pointerWhenShown, Pointer::Default);
}

TEST(Listing, OverflowKeepsTheListWithoutCountLine) {
    const struct {
        const char* ini;
        const char* last;
        std::string txt;
    } cases[] = {
        {"2147483648", "2147483650", ""},
        {"2147483647.5", "2147483650", ""},
        {"1e300", "1e300", ""},
        {"2147483629", "2147483648", "2147483629, 2147483647"},
        {"2147483647.4", "2147483649", "2147483647.4"},
    };
    for (const auto& c : cases) {
        const RecordingWindow window = listed(c.ini, c.last);
        EXPECT_EQ(window.state.txt, c.txt) << c.ini;
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text, "Valor acima da memória.");
        EXPECT_EQ(window.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(window.messages[0].pointerWhenShown, Pointer::Default);
        EXPECT_EQ(window.calls.back(), "focus txtIni");
    }
}

TEST(Listing, NumbersBeyondADoubleOverflowWhenRead) {
    for (const std::string& text : {std::string(1'000'000, '9'), std::string("1e400")}) {
        const RecordingWindow fromFirst = listed(text, "10");
        const RecordingWindow fromLast = listed("1", text);
        for (const RecordingWindow* window : {&fromFirst, &fromLast}) {
            ASSERT_EQ(window->transcript.size(), 3u);
            EXPECT_EQ(window->calls[window->calls.size() - 3], "pointer 0");
            EXPECT_EQ(window->messages.at(0).text, "Valor acima da memória.");
            EXPECT_EQ(window->calls.back(), "focus txtIni");
            EXPECT_EQ(window->state.txt, "");
        }
    }
}

// Running out of memory while the text grows: reported as an error other than overflow.
TEST(Listing, WriteFailuresAreReported) {
    // The writes: txt emptied, "0" into txtIni, the start "2, 3", then the list. The literal
    // writes the list prime by prime, the listing all at once; a failure at the fourth write
    // leaves "2, 3" in both.
    const char* const txtAfter[] = {"resultado anterior", "", "", "2, 3"};
    for (int failingWrite = 1; failingWrite <= 4; ++failingWrite) {
        const WindowState state = testing::withInterval("", "1000");
        RecordingWindow fast(state), literal(state);
        for (RecordingWindow* window : {&fast, &literal}) {
            window->beforeWrite = [failingWrite, writes = 0]() mutable {
                if (++writes == failingWrite) {
                    throw std::bad_alloc();
                }
            };
        }
        cmdCalc_Click(fast, fullStopFormat());
        oracle::cmdCalc_Click_literal(literal, fullStopFormat());
        EXPECT_EQ(fast.story(), literal.story()) << failingWrite;
        ASSERT_EQ(fast.messages.size(), 1u) << failingWrite;
        EXPECT_EQ(fast.messages[0].text, "Ocorreu um erro.");
        EXPECT_EQ(fast.calls[fast.calls.size() - 2], "focus txtIni");
        EXPECT_EQ(fast.state.pointer, Pointer::Default);
        EXPECT_EQ(fast.state.txt, txtAfter[failingWrite - 1]);
    }
}

// With too little memory for the whole text, the listing reports an error and the process
// goes on normally.
TEST(Listing, OutOfMemoryIsReportedNotFatal) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' operator new aborts instead of throwing std::bad_alloc";
#endif
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        const rlim_t limit = static_cast<rlim_t>(testing::virtualMemoryBytes()) + (256L << 20);
        const rlimit lowered{limit, limit};
        if (setrlimit(RLIMIT_AS, &lowered) != 0) {
            _exit(2);
        }
        const RecordingWindow window = listed("0", "1000000000");
        const std::size_t n = window.calls.size();
        const bool reported = window.messages.size() == 1 &&
                              window.messages[0].text == "Ocorreu um erro." && n >= 2 &&
                              window.calls[n - 2] == "focus txtIni" &&
                              window.state.pointer == Pointer::Default;
        const bool partial = window.state.txt == "2, 3";
        _exit(reported && partial ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tavix
