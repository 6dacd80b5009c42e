// What the keys do in the result area: the system's standard keys for moving the caret and
// extending the selection, copy, select all, and save.
#pragma once

#include "ui/result/model/navigation.hpp"

class QKeyEvent;

namespace tavix::ui {

struct KeyAction {
    enum class Command { None, Move, Copy, SelectAll, Save };
    Command command = Command::None;
    Motion motion = Motion::NextChar;  // for Move
    bool extend = false;               // for Move: extends the selection
};

// None for every key the result area leaves to the window (typed characters, Enter, Tab…).
KeyAction keyAction(const QKeyEvent* event);

}  // namespace tavix::ui
