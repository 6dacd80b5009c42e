// A one-line text box whose typed characters pass through a key-press handler first.
#pragma once

#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

namespace tavix::ui {

// The character a key event types, as the signed 16-bit code a key-press handler sees, or
// nothing for keys that type no character (Delete, arrows, Home, End, Tab, Enter, function
// keys). Ctrl with a letter types the control character of that letter (Ctrl+C is 3,
// Ctrl+V is 22, Ctrl+X is 24) whatever text the platform attaches to it.
std::optional<std::int16_t> typedCharacter(const QKeyEvent& event);

// Lets backspace (8) and the digits 0 to 9 through; sets every other code to 0.
void keepDigitsAndBackspace(std::int16_t& keyAscii);

// Each typed character goes to the handler before the box sees it, whether it comes as a
// key press or is committed by an input method (dead keys, compose sequences, on-screen
// keyboards), one character at a time. A code the handler sets to 0 is discarded without a
// trace; a code it changes is typed instead of the original. Drops are refused. Text that
// arrives otherwise (a paste through the context menu, insert()) is not examined.
//
// The category "tavix.typing" logs, at debug level, every character handed to the handler
// and where it came from, so that the path a desktop's input method takes can be seen.
class DigitLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using KeyPressHandler = std::function<void(std::int16_t& keyAscii)>;

    explicit DigitLineEdit(QWidget* parent = nullptr);

    void setKeyPressHandler(KeyPressHandler handler) { keyPress_ = std::move(handler); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    // The code the handler leaves for one typed character; 0 when it is discarded.
    std::int16_t handle(std::int16_t code, const char* from);

    KeyPressHandler keyPress_;
};

}  // namespace tavix::ui
