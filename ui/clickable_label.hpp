// The about window's links: labels that open something when clicked.
#pragma once

#include <QLabel>

namespace tavix::ui {

// Registers, once, what assistive technology sees of the links.
void installLinkAccessibility();

// A link: a label that reports a click (the left button pressed and released over it), or
// Enter or Space while it has the focus, which it takes from the keyboard only. The second
// press of a double-click is no new click: a double-clicked link opens once. Assistive
// technology sees a link named by its text.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ClickableLabel(QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool pressed_ = false;
};

}  // namespace tavix::ui
