#include "ui/result/mouse_controller.hpp"

#include <QMouseEvent>

#include "ui/result/caret_target.hpp"

namespace tavix::ui {

namespace {

// How often an autoscrolling drag moves.
constexpr int kDragScrollMilliseconds = 50;

}  // namespace

void MouseController::press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = target_.positionAt(event->position())) {
        target_.pointCaret(*pos, event->modifiers() & Qt::ShiftModifier, true);
        dragging_ = true;
        dragPos_ = event->position();
    }
}

void MouseController::dragTo(QPointF viewportPos) {
    if (const auto pos = target_.positionAt(viewportPos)) {
        target_.pointCaret(*pos, true, false);
    }
}

void MouseController::move(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    dragPos_ = event->position();
    const bool outside = target_.outsideVertically(dragPos_);
    if (outside && !dragScroll_.isActive()) {
        dragScroll_.start(kDragScrollMilliseconds, &timerOwner_);
    } else if (!outside) {
        dragScroll_.stop();
    }
    dragTo(dragPos_);
}

void MouseController::release(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        dragScroll_.stop();
        target_.setPrimarySelection();
    }
}

void MouseController::doubleClick(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = target_.positionAt(event->position())) {
        target_.selectWordAt(*pos);
        target_.setPrimarySelection();
    }
}

bool MouseController::timer(int timerId) {
    if (timerId != dragScroll_.timerId()) {
        return false;
    }
    target_.scrollLines(dragPos_.y() < 0 ? -1 : 1);
    dragTo(dragPos_);
    return true;
}

}  // namespace tavix::ui
