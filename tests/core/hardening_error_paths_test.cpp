// Every error trap of the computations, reached on purpose: the overflow of a number past
// the 32-bit range and a failure of another kind (the window failing to take a write or to
// show a message). After each, the same window must answer the next click as a fresh one
// would: nothing is left half-done between clicks.
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <utility>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using testing::WindowState;
using testing::withInterval;
using Click = void (*)(Window&, const NumberFormat&);

// A recording window that fails once: at its n-th write, or at its first message box. It
// fails with std::bad_alloc or, for a negative n (or message), with something that is not a
// std::exception at all.
class FailingWindow : public RecordingWindow {
  public:
    FailingWindow(WindowState prior, int failingWrite, int failingMessage)
        : RecordingWindow(std::move(prior)), failingMessage_(failingMessage) {
        if (failingWrite != 0) {
            beforeWrite = [this, failingWrite] {
                ++writes_;
                if (writes_ == failingWrite)
                    throw std::bad_alloc();
                if (-writes_ == failingWrite)
                    throw 42;
            };
        }
    }

    void showMessage(std::string_view message, MessageIcon icon) override {
        const int failing = std::exchange(failingMessage_, 0);
        if (failing > 0)
            throw std::bad_alloc();
        if (failing < 0)
            throw 42;
        RecordingWindow::showMessage(message, icon);
    }

  private:
    int writes_ = 0;
    int failingMessage_;
};

struct ErrorPath {
    const char* where;
    Click click;
    WindowState prior;
    int failingWrite = 0;
    int failingMessage = 0;
    std::string_view message;
};

// The focus a computation's trap leaves, then its second click: new texts in the boxes, and
// what it must show.
struct NextClick {
    TextBox focus;
    void (*retype)(WindowState&);
    void (*checkAnswer)(const RecordingWindow&);
};

WindowState withTxtV(const char* text) {
    WindowState state;
    state.txtV = text;
    return state;
}

void checkTrapThenNextClick(const ErrorPath& path, const NextClick& next) {
    SCOPED_TRACE(path.where);
    FailingWindow window(path.prior, path.failingWrite, path.failingMessage);
    ASSERT_NO_THROW(path.click(window, fullStopFormat()));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, path.message);
    EXPECT_EQ(window.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(window.messages[0].pointerWhenShown, Pointer::Default);
    EXPECT_EQ(window.state.pointer, Pointer::Default);
    EXPECT_EQ(window.state.focus, next.focus);

    // The next click on that window, and the same click on a fresh one in the same state.
    window.calls.clear();
    window.transcript.clear();
    window.messages.clear();
    next.retype(window.state);
    RecordingWindow fresh(window.state);
    path.click(window, fullStopFormat());
    path.click(fresh, fullStopFormat());
    EXPECT_EQ(window.story(), fresh.story());
    next.checkAnswer(window);
}

TEST(ErrorTraps, cmdCalc_ClickThenAnotherListing) {
    auto retype = [](WindowState& state) {
        state.txtIni = "10";
        state.txtN = "30";
    };
    auto answer = [](const RecordingWindow& window) {
        EXPECT_EQ(window.state.txt, "Total de 6 números primos: 11, 13, 17, 19, 23, 29");
        EXPECT_TRUE(window.messages.empty());
    };
    const NextClick next{TextBox::txtIni, retype, answer};
    // Running out of memory needs a process of its own: the listing's own tests do that.
    // Writes of a listing: txt emptied, the "0" of an empty txtIni, the start "2, 3", the list.
    const ErrorPath paths[] = {
        {"overflow", cmdCalc_Click, withInterval("2147483640", "2147483650"), 0, 0,
         texts::kOverflow},
        {"overflow while reading", cmdCalc_Click, withInterval("1e400", "5"), 0, 0,
         texts::kOverflow},
        {"other error", cmdCalc_Click, withInterval("", "100"), 2, 0, texts::kOtherError},
        {"not a std::exception", cmdCalc_Click, withInterval("", "100"), -3, 0, texts::kOtherError},
    };
    for (const ErrorPath& path : paths)
        checkTrapThenNextClick(path, next);
}

TEST(ErrorTraps, cmdV_ClickThenAnotherCheck) {
    auto retype = [](WindowState& state) { state.txtV = "97"; };
    auto answer = [](const RecordingWindow& window) {
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text, "97 é um número primo");
    };
    const NextClick next{TextBox::txtV, retype, answer};
    const ErrorPath paths[] = {
        {"overflow", cmdV_Click, withTxtV("2147483648"), 0, 0, texts::kOverflow},
        {"other error", cmdV_Click, withTxtV("7"), 0, 1, texts::kOtherError},
        {"not a std::exception", cmdV_Click, withTxtV("7"), 0, -1, texts::kOtherError},
    };
    for (const ErrorPath& path : paths)
        checkTrapThenNextClick(path, next);
}

TEST(ErrorTraps, cmdFatorar_ClickAndFatorarNumeroThenAnotherTable) {
    auto retype = [](WindowState& state) { state.txtV = "360"; };
    auto answer = [](const RecordingWindow& window) {
        EXPECT_EQ(window.state.lblNumFat, "360\r180\r90\r45\r15\r5\r1");
        EXPECT_EQ(window.state.lblFator, "2\r2\r2\r3\r3\r5");
        EXPECT_TRUE(window.state.ruleVisible);
        EXPECT_TRUE(window.messages.empty());
    };
    const NextClick next{TextBox::txtV, retype, answer};
    // Writes of a click: the two columns emptied, then FatorarNumero's rows.
    const ErrorPath paths[] = {
        {"click, overflow", cmdFatorar_Click, withTxtV("2147483648"), 0, 0, texts::kOverflow},
        {"click, other error", cmdFatorar_Click, withTxtV("97"), 1, 0, texts::kOtherError},
        {"FatorarNumero, overflow", cmdFatorar_Click, withTxtV("7.5"), 0, 0, texts::kOverflow},
        {"FatorarNumero, other error", cmdFatorar_Click, withTxtV("360"), 3, 0, texts::kOtherError},
        {"click, not a std::exception", cmdFatorar_Click, withTxtV("97"), -1, 0,
         texts::kOtherError},
        {"FatorarNumero, not a std::exception", cmdFatorar_Click, withTxtV("360"), -3, 0,
         texts::kOtherError},
        {"FatorarNumero alone, rows until memory runs out", FatorarNumero, withTxtV("0.3"), 0, 0,
         texts::kOtherError},
        {"FatorarNumero alone, overflow", FatorarNumero, withTxtV("1e400"), 0, 0, texts::kOverflow},
    };
    for (const ErrorPath& path : paths)
        checkTrapThenNextClick(path, next);
}

}  // namespace
}  // namespace tavix
