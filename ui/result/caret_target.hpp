// What the key and mouse controllers may do to the result area, and all they see of it: place
// and move the caret, select, scroll, and give the commands the keys give. The view implements
// it; a controller holds no other reference to the view.
#pragma once

#include <QPointF>

#include <cstddef>
#include <optional>

#include "ui/result/model/navigation.hpp"

namespace tavix::ui {

class CaretTarget {
  public:
    // The caret position under a viewport point; none while nothing is laid out.
    virtual std::optional<std::size_t> positionAt(QPointF viewportPos) = 0;
    // Whether a viewport point is above or below the text's room.
    virtual bool outsideVertically(QPointF viewportPos) const = 0;
    // Puts the caret where the pointer is, forgetting the column kept for up and down: with
    // `extend` the anchor stays; with `scroll` the view follows the caret.
    virtual void pointCaret(std::size_t pos, bool extend, bool scroll) = 0;
    // Moves the caret as a key asks, once the text is laid out.
    virtual void moveCaretBy(Motion motion, bool extend) = 0;
    // Selects the word at `pos`.
    virtual void selectWordAt(std::size_t pos) = 0;
    // Scrolls the view by whole lines (up when negative).
    virtual void scrollLines(int lines) = 0;
    // Gives the primary selection what a drag or a double click selected.
    virtual void setPrimarySelection() = 0;

    // The commands.
    virtual void copy() = 0;
    virtual void selectAll() = 0;
    virtual void saveAs() = 0;

  protected:
    ~CaretTarget() = default;
};

}  // namespace tavix::ui
