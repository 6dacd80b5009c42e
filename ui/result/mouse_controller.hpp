// The mouse over the result area: a press places the caret (with Shift, moves it keeping the
// anchor), a drag selects, scrolling the view while the pointer is above or below it, and a
// double click selects a word. The primary selection gets what a drag or a double click
// selected.
#pragma once

#include <QBasicTimer>
#include <QPointF>

class QMouseEvent;
class QObject;

namespace tavix::ui {

class CaretTarget;

class MouseController {
  public:
    // The drag's scrolling ticks in timer events of `timerOwner`, which hands them to timer().
    MouseController(CaretTarget& target, QObject& timerOwner)
        : target_(target), timerOwner_(timerOwner) {}

    void press(QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    void doubleClick(QMouseEvent* event);
    // Whether a timer event was the drag's scrolling, which it then handles.
    bool timer(int timerId);

  private:
    void dragTo(QPointF viewportPos);

    CaretTarget& target_;
    QObject& timerOwner_;
    bool dragging_ = false;
    QPointF dragPos_;
    QBasicTimer dragScroll_;
};

}  // namespace tavix::ui
