#include "ui/beep.hpp"

#include <memory>

#include "ui/desktop/bell.hpp"

namespace tavix::ui {

namespace {
int beeps = 0;
}  // namespace

void beep() {
    ++beeps;
    // The desktop is known once the program runs on it: the bell is made at the first beep.
    static const std::unique_ptr<desktop::Bell> bell = desktop::makeBell();
    bell->ring();
}

int beepCount() {
    return beeps;
}

}  // namespace tavix::ui
