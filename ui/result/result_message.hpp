// What the result area has to tell the user, handed to the window that holds it: the area
// shows no message of its own, so the window puts every message in the same kind of box.
#pragma once

#include <QString>

#include <functional>

namespace tavix::ui {

enum class ResultMessageKind {
    Warning,  // asked for something the area will not do (a copy over the limit)
    Failure,  // something went wrong (a save that failed, no memory for the save)
};

// Where a message goes; called on the window's thread, where it was to be shown, and returns
// once the user has read it.
using ResultMessageSink = std::function<void(const QString& text, ResultMessageKind kind)>;

}  // namespace tavix::ui
