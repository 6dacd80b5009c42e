#include "ui/result/mouse_controller.hpp"

#include <QMouseEvent>

#include "ui/result/result_view.hpp"

namespace tavix::ui {

namespace {

// How often an autoscrolling drag moves.
constexpr int kDragScrollMilliseconds = 50;

}  // namespace

void MouseController::press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = view_.positionAt(event->position())) {
        view_.layout_.caret().preferredX = -1;
        view_.placeCaret(*pos, event->modifiers() & Qt::ShiftModifier);
        dragging_ = true;
        dragPos_ = event->position();
    }
}

void MouseController::dragTo(QPointF viewportPos) {
    if (const auto pos = view_.positionAt(viewportPos)) {
        view_.layout_.caret().preferredX = -1;
        view_.placeCaret(*pos, true, false);
    }
}

void MouseController::move(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    dragPos_ = event->position();
    const bool outside = dragPos_.y() < 0 || dragPos_.y() >= view_.viewport()->height();
    if (outside && !dragScroll_.isActive()) {
        dragScroll_.start(kDragScrollMilliseconds, &view_);
    } else if (!outside) {
        dragScroll_.stop();
    }
    dragTo(dragPos_);
}

void MouseController::release(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        dragScroll_.stop();
        view_.setPrimarySelection();
    }
}

void MouseController::doubleClick(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = view_.positionAt(event->position())) {
        const auto [start, end] = view_.wordAt(*pos);
        view_.setSelection(start, end);
        view_.setPrimarySelection();
    }
}

bool MouseController::timer(int timerId) {
    if (timerId != dragScroll_.timerId()) {
        return false;
    }
    view_.layout_.scrollLines(dragPos_.y() < 0 ? -1 : 1);
    dragTo(dragPos_);
    return true;
}

}  // namespace tavix::ui
