// The result area txt as a stock plain-text editor: read-only, wrapping at its width, a
// vertical scroll bar when needed, text selectable and copyable by mouse and keyboard.
#pragma once

#include <QPlainTextEdit>

#include <string>

namespace tavix::ui {

class ResultViewStock : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ResultViewStock(QWidget* parent = nullptr);

    // The computations may write many times before the window gets to paint; only the last
    // text is laid out, when control returns to the event loop.
    void setText(std::string text);
    const std::string& text() const { return text_; }

    // Lays out a pending text now.
    void showPendingText();

  private:
    std::string text_;
    bool pending_ = false;
};

}  // namespace tavix::ui
