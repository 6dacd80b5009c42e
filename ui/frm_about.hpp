// The about window "Sobre o Tavix".
#pragma once

#include <QDialog>
#include <QPointer>

#include "ui/clickable_label.hpp"

class QPushButton;

namespace tavix::ui {

// The about window: the program's name, version and description, an e-mail link and three
// site links, and "Ok". Modeless and without an owner, yet it keeps the activation against
// the program's other windows while it is open. Destroys itself when closed.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    // Its title bar: the desktop's, or the program's own where the desktop leaves the title
    // bars to the programs (by default, as the desktop does).
    enum class TitleBar { Desktop, Own };
    frmAbout();
    explicit frmAbout(TitleBar titleBar);

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

    QPushButton* cmdOK_ = nullptr;
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
