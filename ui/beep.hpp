// The system's default beep.
#pragma once

namespace tavix::ui {

// Sounds the system's default beep. Every beep of the program goes through here.
void beep();

// How many times beep() has sounded since the program started; lets in-process tests
// count the beeps that the real bell leaves no trace of.
int beepCount();

}  // namespace tavix::ui
