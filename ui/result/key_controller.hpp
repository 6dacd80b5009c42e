// The keys in the result area: the system's standard keys for moving the caret and extending
// the selection, copy, select all, and save. Every other key (typed characters, Enter, Tab…)
// is left to the window.
#pragma once

class QKeyEvent;

namespace tavix::ui {

class CaretTarget;

class KeyController {
  public:
    explicit KeyController(CaretTarget& target) : target_(target) {}

    // Acts on a key, or ignores the event so that it goes on to the window.
    void press(QKeyEvent* event);

  private:
    CaretTarget& target_;
};

}  // namespace tavix::ui
