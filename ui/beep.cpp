#include "ui/beep.hpp"

#include <QApplication>

namespace tavix::ui {

namespace {
int beeps = 0;
}  // namespace

void beep() {
    ++beeps;
    QApplication::beep();
}

int beepCount() {
    return beeps;
}

}  // namespace tavix::ui
