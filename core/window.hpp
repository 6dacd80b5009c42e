// What the three computations use of the main window. The Qt window implements it with its
// widgets; the tests implement it with a recorder.
#pragma once

#include <string>
#include <string_view>

#include "core/number_values.hpp"
#include "core/result_text.hpp"

namespace tavix {

// The four text boxes: the interval, the single number, the result area.
enum class TextBox { txtIni, txtN, txtV, txt };

// The two columns of the factorization table.
enum class FactorColumn {
    lblNumFat,  // left: the successive quotients
    lblFator,   // right: the prime divisor of each step
};

// The window-wide mouse pointer, by its platform value.
enum class Pointer { Default = 0, Hourglass = 11 };

// Message box icons, by their platform style value.
enum class MessageIcon { Critical = 16, Exclamation = 48, Information = 64 };

// Texts are UTF-8. Factor captions hold one row per line, rows separated by a single
// carriage return (character 13), nothing after the last row.
class Window {
  public:
    virtual ~Window() = default;

    // The text of a box; for txt the whole result, made into one string.
    virtual std::string text(TextBox box) const = 0;
    // Replaces the whole text of a box. The text of txt becomes a plain result text.
    void setText(TextBox box, std::string text) {
        if (box == TextBox::txt) {
            setResultText(makePlainText(std::move(text)));
        } else {
            setBoxText(box, std::move(text));
        }
    }
    // Replaces the whole text of the result area txt with a text that is made as it is read.
    virtual void setResultText(ResultTextPtr text) = 0;

    virtual std::string caption(FactorColumn column) const = 0;
    virtual void setCaption(FactorColumn column, std::string caption) = 0;

    // Shows or hides the rule lneFat between the two factor columns.
    virtual void setRuleVisible(bool visible) = 0;

    virtual void setPointer(Pointer pointer) = 0;

    // Moves the keyboard focus; the window applies its default-button rule.
    virtual void setFocus(TextBox box) = 0;

    // A modal message box titled "Tavix" with an OK button; returns when the user closes it.
    virtual void showMessage(std::string_view message, MessageIcon icon) = 0;

  protected:
    // Replaces the whole text of one of the number boxes txtIni, txtN and txtV.
    virtual void setBoxText(TextBox box, std::string text) = 0;
};

}  // namespace tavix
