// The about window "Sobre o Tavix".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>

class QPushButton;

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

// The about window: the program's name, version and description, an e-mail link and three
// site links, and "Ok". Modeless and without an owner, yet it keeps the activation against
// the program's other windows while it is open. Destroys itself when closed.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    frmAbout();

    // The targets that the links hand to the desktop.
    static const char* const kEmailTarget;
    static const char* const kLink1Target;
    static const char* const kLink2Target;
    static const char* const kLink3Target;

    void cmdOK_Click();
    void lblEmail_Click();
    void lblLink1_Click();
    void lblLink2_Click();
    void lblLink3_Click();

    // The window that is made active again when this one closes while active.
    void setReturnWindow(QWidget* window) { returnWindow_ = window; }

    // Places the window, frame included, in the middle of the screen of `reference` (the
    // primary screen when null). Where the desktop cannot tell the frame beforehand, it is
    // taken as wide as that of `reference`.
    void placeAtCentre(const QWidget* reference);

    // Closed: hidden for good and about to be destroyed.
    bool isClosed() const { return closed_; }

    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Deactivate();

    // The controls, in creation order. The two members of Line1 share its name.
    QLabel* picIcon_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    ClickableLabel* lblLink1_ = nullptr;
    ClickableLabel* lblLink2_ = nullptr;
    ClickableLabel* lblLink3_ = nullptr;
    QLabel* lblSites_ = nullptr;
    QLabel* lblContato_ = nullptr;
    ClickableLabel* lblEmail_ = nullptr;
    QWidget* Line1_1_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QWidget* Line1_0_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;

    QPointer<QWidget> returnWindow_;
    bool deactivationPending_ = false;
    bool closed_ = false;
};

// Opens the about window: creates it if none exists (there is never more than one), shows
// it modeless and without an owner, and makes it the active window. Returns at once.
void openAboutWindow();

// The open about window, or nullptr when there is none.
frmAbout* aboutWindow();

}  // namespace tavix::ui
