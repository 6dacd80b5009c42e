// Where the keys take the caret: by characters, words, lines, pages, to the ends of a line
// and of the text. Line and page moves scroll the view along and keep the caret's x.
#pragma once

#include <cstddef>

#include "ui/result/model/viewport.hpp"

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

struct CaretMove {
    std::size_t pos;  // the caret's new place
    Width keepX;      // the x that further vertical moves keep, or -1
};

// Where `motion` takes the caret; `extend` when it extends the selection. A line or page move
// scrolls the layout as the view must.
CaretMove moveCaret(Viewport& layout, const Caret& caret, Motion motion, bool extend);

}  // namespace tavix::ui
