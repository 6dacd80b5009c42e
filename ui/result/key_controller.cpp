#include "ui/result/key_controller.hpp"

#include <QKeyEvent>
#include <QKeySequence>

#include "ui/result/caret_target.hpp"

namespace tavix::ui {

namespace {

struct Binding {
    QKeySequence::StandardKey key;
    Motion motion;
    bool extend;  // extends the selection
};

constexpr Binding kBindings[] = {
    {QKeySequence::MoveToNextChar, Motion::NextChar, false},
    {QKeySequence::MoveToPreviousChar, Motion::PreviousChar, false},
    {QKeySequence::MoveToNextWord, Motion::NextWord, false},
    {QKeySequence::MoveToPreviousWord, Motion::PreviousWord, false},
    {QKeySequence::MoveToNextLine, Motion::NextLine, false},
    {QKeySequence::MoveToPreviousLine, Motion::PreviousLine, false},
    {QKeySequence::MoveToNextPage, Motion::NextPage, false},
    {QKeySequence::MoveToPreviousPage, Motion::PreviousPage, false},
    {QKeySequence::MoveToStartOfLine, Motion::StartOfLine, false},
    {QKeySequence::MoveToEndOfLine, Motion::EndOfLine, false},
    {QKeySequence::MoveToStartOfDocument, Motion::StartOfText, false},
    {QKeySequence::MoveToEndOfDocument, Motion::EndOfText, false},
    {QKeySequence::SelectNextChar, Motion::NextChar, true},
    {QKeySequence::SelectPreviousChar, Motion::PreviousChar, true},
    {QKeySequence::SelectNextWord, Motion::NextWord, true},
    {QKeySequence::SelectPreviousWord, Motion::PreviousWord, true},
    {QKeySequence::SelectNextLine, Motion::NextLine, true},
    {QKeySequence::SelectPreviousLine, Motion::PreviousLine, true},
    {QKeySequence::SelectNextPage, Motion::NextPage, true},
    {QKeySequence::SelectPreviousPage, Motion::PreviousPage, true},
    {QKeySequence::SelectStartOfLine, Motion::StartOfLine, true},
    {QKeySequence::SelectEndOfLine, Motion::EndOfLine, true},
    {QKeySequence::SelectStartOfDocument, Motion::StartOfText, true},
    {QKeySequence::SelectEndOfDocument, Motion::EndOfText, true},
};

}  // namespace

void KeyController::press(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        target_.copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        target_.selectAll();
        return;
    }
    if (event->matches(QKeySequence::Save)) {
        target_.saveAs();
        return;
    }
    for (const Binding& binding : kBindings) {
        if (event->matches(binding.key)) {
            target_.moveCaretBy(binding.motion, binding.extend);
            return;
        }
    }
    // Read-only: typed characters, Enter and the rest belong to the window.
    event->ignore();
}

}  // namespace tavix::ui
