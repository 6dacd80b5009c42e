// The caret's blink: shown, hidden, shown, at the desktop's cursor flash time, while the
// result area has the focus.
#pragma once

#include <QApplication>
#include <QBasicTimer>

namespace tavix::ui {

class CaretBlink {
  public:
    bool shown() const { return shown_; }
    // Shows the caret, and blinks it from now on while `focused`.
    void restart(QObject* receiver, bool focused) {
        shown_ = true;
        const int flash = QApplication::cursorFlashTime();
        if (focused && flash > 0) {
            timer_.start(flash / 2, receiver);
        } else {
            timer_.stop();
        }
    }
    void stop() { timer_.stop(); }
    // Whether a timer event is the blink's; it then shows or hides the caret.
    bool blinked(int timerId) {
        if (timerId != timer_.timerId()) {
            return false;
        }
        shown_ = !shown_;
        return true;
    }

  private:
    bool shown_ = true;
    QBasicTimer timer_;
};

}  // namespace tavix::ui
