// Walking the result text by characters and by words.
#pragma once

#include <cstddef>
#include <utility>

#include "core/utf8.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {

// The offset of the character after / before the one at `pos`. A carriage return followed by a
// line feed counts as one character here, so that the caret never stops between the two.
std::size_t nextCharBoundary(TextSource& text, std::size_t pos);
std::size_t previousCharBoundary(TextSource& text, std::size_t pos);
// `pos` if it is a character boundary, otherwise the start of the character holding it.
std::size_t snapToChar(TextSource& text, std::size_t pos);

// Words, for double-click and Ctrl+arrow: runs of letters and digits (any non-ASCII character
// counts as a letter), runs of blanks (isBlank), runs of other marks; a line break
// (isLineBreak) stands alone.
// wordStart(pos) and wordEnd(pos) bound the run holding the character at `pos`.
std::size_t wordStart(TextSource& text, std::size_t pos);
std::size_t wordEnd(TextSource& text, std::size_t pos);

// The paragraph holding `pos`, up to and with its line break, looked for at most `reach` bytes
// either side.
std::pair<std::size_t, std::size_t> paragraphAt(TextSource& text, std::size_t pos,
                                                std::size_t reach);

}  // namespace tavix::ui
