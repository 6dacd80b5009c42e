#include "ui/digit_line_edit.hpp"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLoggingCategory>

#include <algorithm>

namespace tavix::ui {

namespace {
Q_LOGGING_CATEGORY(typing, "tavix.typing", QtWarningMsg)
constexpr std::int16_t kBackspace = 8;
}  // namespace

std::optional<std::int16_t> typedCharacter(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return std::nullopt;
        default:
            break;
    }
    const auto modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (modifiers == Qt::ControlModifier && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        return static_cast<std::int16_t>(event.key() - Qt::Key_A + 1);
    }
    const QString text = event.text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(text.at(0).unicode());
}

void keepDigitsAndBackspace(std::int16_t& keyAscii) {
    const bool digit = keyAscii >= '0' && keyAscii <= '9';
    if (keyAscii != kBackspace && !digit) {
        keyAscii = 0;
    }
}

DigitLineEdit::DigitLineEdit(QWidget* parent) : QLineEdit(parent) {
    // Dragged text is not typed: it never reaches the box.
    setAcceptDrops(false);
    // On-screen keyboards offer their digit pad.
    setInputMethodHints(Qt::ImhDigitsOnly);
}

std::int16_t DigitLineEdit::handle(std::int16_t code, const char* from) {
    const std::int16_t typed = code;
    if (keyPress_) {
        keyPress_(code);
    }
    qCDebug(typing, "%s: %d from %s -> %d", qPrintable(objectName()), int(typed), from, int(code));
    return code;
}

void DigitLineEdit::keyPressEvent(QKeyEvent* event) {
    const std::optional<std::int16_t> typed = typedCharacter(*event);
    if (typed) {
        const std::int16_t keyAscii = handle(*typed, "key press");
        if (keyAscii == 0) {
            event->accept();
            return;
        }
        if (keyAscii != *typed) {
            insert(QString(QChar(static_cast<char16_t>(keyAscii))));
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// An input method commits text that the user typed through it: a dead key and its letter, a
// compose sequence, a word of an on-screen keyboard. Every character of it goes through the
// handler as if typed on its own; what is being composed (the preedit) is only shown.
void DigitLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString passed;
    int backspaces = 0;
    for (const QChar character : committed) {
        const std::int16_t keyAscii =
            handle(static_cast<std::int16_t>(character.unicode()), "input method");
        if (keyAscii == 0) {
            continue;
        }
        if (keyAscii == kBackspace) {
            if (passed.isEmpty()) {
                ++backspaces;
            } else {
                passed.chop(1);
            }
            continue;
        }
        passed += QChar(static_cast<char16_t>(keyAscii));
    }
    // A backspace deletes the character before the caret, as the key does: the commit then
    // replaces that many more characters.
    int start = event->replacementStart();
    int length = event->replacementLength();
    const int reach = std::clamp(cursorPosition() + start, 0, backspaces);
    start -= reach;
    length += reach;
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(passed, start, length);
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

}  // namespace tavix::ui
