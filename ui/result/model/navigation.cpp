#include "ui/result/model/navigation.hpp"

#include <algorithm>
#include <vector>

#include "ui/result/model/characters.hpp"

namespace tavix::ui {

namespace {

// A line or page up or down, keeping the caret's x, scrolling the view along.
CaretMove verticalMove(Viewport& layout, const Caret& caret, Motion motion) {
    TextSource& text = layout.text();
    layout.ensureVisible(caret.caret);
    const int rows = layout.rows();
    std::vector<LineSpan> lines = layout.visibleLines(rows);
    if (lines.empty()) {
        return {caret.caret, -1};
    }
    std::int64_t row = 0;
    while (row + 1 < std::int64_t(lines.size()) && !lines[row].holds(caret.caret)) {
        ++row;
    }
    const LineBreaker wrap = layout.breaker();
    const Width keepX = caret.preferredX >= 0
                            ? caret.preferredX
                            : wrap.xOf(wrap.lineText(text, lines[row]), caret.caret);
    const bool page = motion == Motion::NextPage || motion == Motion::PreviousPage;
    const std::int64_t step =
        (motion == Motion::NextLine || motion == Motion::NextPage ? 1 : -1) * (page ? rows : 1);
    std::int64_t target = row + step;
    if (page || target < 0 || target >= rows) {
        const std::int64_t moved = layout.scrollLines(page ? step : (target < 0 ? -1 : 1));
        target -= moved;
        lines = layout.visibleLines(rows);
    }
    target = std::clamp<std::int64_t>(target, 0, std::int64_t(lines.size()) - 1);
    return {wrap.offsetAt(wrap.lineText(text, lines[target]), keepX), keepX};
}

}  // namespace

CaretMove moveCaret(Viewport& layout, const Caret& caret, Motion motion, bool extend) {
    TextSource& text = layout.text();
    const bool collapse = !extend && caret.hasSelection();
    std::size_t pos = caret.caret;
    switch (motion) {
        case Motion::NextChar:
            pos = collapse ? caret.selectionEnd() : nextCharBoundary(text, caret.caret);
            break;
        case Motion::PreviousChar:
            pos = collapse ? caret.selectionStart() : previousCharBoundary(text, caret.caret);
            break;
        case Motion::NextWord:
            // To the start of the next word, as in the system's text boxes.
            pos = wordEnd(text, caret.caret);
            while (pos < text.size() && isBlank(text.at(pos))) {
                ++pos;
            }
            break;
        case Motion::PreviousWord:
            pos = caret.caret;
            while (pos > 0 && isBlank(text.at(pos - 1))) {
                --pos;
            }
            pos = pos > 0 ? wordStart(text, previousCharBoundary(text, pos)) : 0;
            break;
        case Motion::StartOfLine:
        case Motion::EndOfLine: {
            layout.ensureVisible(caret.caret);
            const LineBreaker wrap = layout.breaker();
            const LineSpan line = layout.lineHolding(caret.caret);
            pos = motion == Motion::StartOfLine ? line.start
                                                : wrap.caretEnd(wrap.lineText(text, line));
            break;
        }
        case Motion::StartOfText:
            pos = 0;
            break;
        case Motion::EndOfText:
            pos = text.size();
            break;
        case Motion::NextLine:
        case Motion::PreviousLine:
        case Motion::NextPage:
        case Motion::PreviousPage:
            return verticalMove(layout, caret, motion);
    }
    return {pos, -1};
}

}  // namespace tavix::ui
