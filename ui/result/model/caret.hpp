// The caret and the selection of the result area.
#pragma once

#include <cstddef>

#include "ui/result/model/char_widths.hpp"

namespace tavix::ui {

// The caret and the selection, which runs between the anchor and the caret, as byte offsets
// on character boundaries.
struct Caret {
    std::size_t anchor = 0;
    std::size_t caret = 0;
    Width preferredX = -1;  // kept through vertical moves; -1: the caret's own

    std::size_t selectionStart() const { return anchor < caret ? anchor : caret; }
    std::size_t selectionEnd() const { return anchor < caret ? caret : anchor; }
    bool hasSelection() const { return anchor != caret; }
};

}  // namespace tavix::ui
