// Every error trap of the computations, reached on purpose: the overflow of a number past
// the 32-bit range and a failure of another kind (the window failing to take a write or to
// show a message). After each, the same window must answer the next click as a fresh one
// would: nothing is left half-done between clicks.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;
using testing::WindowState;
using Click = std::function<void(Window&, const NumberFormat&)>;

// A recording window that fails once: at its n-th write, or at its first message box.
class FailingWindow : public RecordingWindow {
  public:
    FailingWindow(WindowState prior, int failingWrite, bool failingMessage)
        : RecordingWindow(std::move(prior)), failingMessage_(failingMessage) {
        if (failingWrite > 0) {
            beforeWrite = [this, failingWrite] {
                if (++writes_ == failingWrite)
                    throw std::bad_alloc();
            };
        }
    }

    void showMessage(std::string_view message, MessageIcon icon) override {
        if (failingMessage_) {
            failingMessage_ = false;
            throw std::bad_alloc();
        }
        RecordingWindow::showMessage(message, icon);
    }

  private:
    int writes_ = 0;
    bool failingMessage_;
};

struct ErrorPath {
    const char* where;
    Click click;
    WindowState prior;
    int failingWrite = 0;
    bool failingMessage = false;
    std::string_view message;
    TextBox focus;
    // The second click: new texts in the boxes, and what it must show.
    std::function<void(WindowState&)> retype;
    std::function<void(const RecordingWindow&)> checkAnswer;
};

WindowState withTxtV(const char* text) {
    WindowState state;
    state.txtV = text;
    return state;
}

void checkTrapThenNextClick(const ErrorPath& path) {
    SCOPED_TRACE(path.where);
    FailingWindow window(path.prior, path.failingWrite, path.failingMessage);
    ASSERT_NO_THROW(path.click(window, fullStopFormat()));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, path.message);
    EXPECT_EQ(window.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(window.messages[0].pointerWhenShown, Pointer::Default);
    EXPECT_EQ(window.state.pointer, Pointer::Default);
    EXPECT_EQ(window.state.focus, path.focus);

    // The next click on that window, and the same click on a fresh one in the same state.
    window.calls.clear();
    window.transcript.clear();
    window.messages.clear();
    path.retype(window.state);
    RecordingWindow fresh(window.state);
    path.click(window, fullStopFormat());
    path.click(fresh, fullStopFormat());
    EXPECT_EQ(window.story(), fresh.story());
    path.checkAnswer(window);
}

TEST(ErrorTraps, cmdV_ClickThenAnotherCheck) {
    auto retype = [](WindowState& state) { state.txtV = "97"; };
    auto answer = [](const RecordingWindow& window) {
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text, "97 é um número primo");
    };
    const ErrorPath paths[] = {
        {"overflow", cmdV_Click, withTxtV("2147483648"), 0, false, texts::kOverflow, TextBox::txtV,
         retype, answer},
        {"other error", cmdV_Click, withTxtV("7"), 0, true, texts::kOtherError, TextBox::txtV,
         retype, answer},
    };
    for (const ErrorPath& path : paths)
        checkTrapThenNextClick(path);
}

TEST(ErrorTraps, cmdFatorar_ClickAndFatorarNumeroThenAnotherTable) {
    auto retype = [](WindowState& state) { state.txtV = "360"; };
    auto answer = [](const RecordingWindow& window) {
        EXPECT_EQ(window.state.lblNumFat, "360\r180\r90\r45\r15\r5\r1");
        EXPECT_EQ(window.state.lblFator, "2\r2\r2\r3\r3\r5");
        EXPECT_TRUE(window.state.ruleVisible);
        EXPECT_TRUE(window.messages.empty());
    };
    // Writes of a click: the two columns emptied, then FatorarNumero's rows.
    const ErrorPath paths[] = {
        {"click, overflow", cmdFatorar_Click, withTxtV("2147483648"), 0, false, texts::kOverflow,
         TextBox::txtV, retype, answer},
        {"click, other error", cmdFatorar_Click, withTxtV("97"), 1, false, texts::kOtherError,
         TextBox::txtV, retype, answer},
        {"FatorarNumero, overflow", cmdFatorar_Click, withTxtV("7.5"), 0, false, texts::kOverflow,
         TextBox::txtV, retype, answer},
        {"FatorarNumero, other error", cmdFatorar_Click, withTxtV("360"), 3, false,
         texts::kOtherError, TextBox::txtV, retype, answer},
        {"FatorarNumero alone, overflow", FatorarNumero, withTxtV("1e400"), 0, false,
         texts::kOverflow, TextBox::txtV, retype, answer},
    };
    for (const ErrorPath& path : paths)
        checkTrapThenNextClick(path);
}

}  // namespace
}  // namespace tavix
