// The signals that ask a program to end (SIGTERM at logout or shutdown, SIGINT from Ctrl+C in
// a terminal, SIGHUP when the terminal goes away) end Tavix the orderly way: a save under way
// is stopped and its unfinished file removed, then the event loop ends. The handler itself
// only writes the signal's number to a pipe; the event loop reads it.
#pragma once

#include <functional>

namespace tavix::app {

// Installs the handlers. `stop` runs in the event loop when one of the signals arrives.
void handleQuitSignals(std::function<void()> stop);

// The signal that ended the event loop, or 0.
int quitSignal();

// Ends the process by that signal, as if it had not been caught, so that whoever sent it
// sees it did its work.
[[noreturn]] void endBySignal(int signal);

}  // namespace tavix::app
