#include "ui/result/key_bindings.hpp"

#include <QKeyEvent>
#include <QKeySequence>

namespace tavix::ui {

KeyAction keyAction(const QKeyEvent* event) {
    using Command = KeyAction::Command;
    if (event->matches(QKeySequence::Copy)) {
        return {Command::Copy};
    }
    if (event->matches(QKeySequence::SelectAll)) {
        return {Command::SelectAll};
    }
    if (event->matches(QKeySequence::Save)) {
        return {Command::Save};
    }
    struct Binding {
        QKeySequence::StandardKey key;
        Motion motion;
        bool extend;
    };
    static constexpr Binding kBindings[] = {
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
    for (const Binding& binding : kBindings) {
        if (event->matches(binding.key)) {
            return {Command::Move, binding.motion, binding.extend};
        }
    }
    return {};
}

}  // namespace tavix::ui
