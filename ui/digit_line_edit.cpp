#include "ui/digit_line_edit.hpp"

#include <QKeyEvent>

namespace tavix::ui {

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
    if (keyAscii != 8 && !digit) {
        keyAscii = 0;
    }
}

DigitLineEdit::DigitLineEdit(QWidget* parent) : QLineEdit(parent) {}

void DigitLineEdit::keyPressEvent(QKeyEvent* event) {
    const std::optional<std::int16_t> typed = typedCharacter(*event);
    if (typed && keyPress_) {
        std::int16_t keyAscii = *typed;
        keyPress_(keyAscii);
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

}  // namespace tavix::ui
