// Where the keys take the caret: by characters, words, lines, pages, to the ends of a line
// and of the text. Line and page moves scroll the view along and keep the caret's x.
#pragma once

#include <cstddef>

#include "ui/result/model/layout.hpp"

namespace tavix::ui {

enum class Motion {
    NextChar,
    PreviousChar,
    NextWord,
    PreviousWord,
    NextLine,
    PreviousLine,
    NextPage,
    PreviousPage,
    StartOfLine,
    EndOfLine,
    StartOfText,
    EndOfText
};

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

struct CaretMove {
    std::size_t pos;  // the caret's new place
    Width keepX;      // the x that further vertical moves keep, or -1
};

// Where `motion` takes the caret; `extend` when it extends the selection. A line or page move
// scrolls the layout as the view must.
CaretMove moveCaret(ResultLayout& layout, const Caret& caret, Motion motion, bool extend);

}  // namespace tavix::ui
