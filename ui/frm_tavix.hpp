// The main window: two boxes for an interval and "Calcular", one box for a single number with
// "Verificar" and "Fatorar", the result area, the factorization table and the "?" button.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

#include "core/number_values.hpp"
#include "core/window.hpp"
#include "ui/result/result_message.hpp"

class QLabel;
class QPushButton;

namespace tavix::ui {

class Announcer;
class DigitLineEdit;
class ResultView;

class frmTavix : public QWidget, public Window {
    Q_OBJECT
  public:
    explicit frmTavix(QWidget* parent = nullptr);
    ~frmTavix() override;

    // Window, for the computations.
    std::string text(TextBox box) const override;
    void setResultText(ResultTextPtr text) override;
    std::string caption(FactorColumn column) const override;
    void setCaption(FactorColumn column, std::string caption) override;
    void setRuleVisible(bool visible) override;
    void setPointer(Pointer pointer) override;
    using QWidget::setFocus;
    void setFocus(TextBox box) override;
    void showMessage(std::string_view message, MessageIcon icon) override;

    // The separators of the system locale, as the computations read and print numbers.
    static NumberFormat systemNumberFormat();

    // Button handlers.
    void cmdCalc_Click();
    void cmdV_Click();
    void cmdFatorar_Click();
    void cmdHelp_Click();

    // Default-button rule: which computing button Enter presses while a box has the focus.
    void txtIni_GotFocus();
    void txtN_GotFocus();
    void txtV_GotFocus();
    void txt_GotFocus();

    // Digit filter of the three number boxes.
    void txtIni_KeyPress(std::int16_t& KeyAscii);
    void txtN_KeyPress(std::int16_t& KeyAscii);
    void txtV_KeyPress(std::int16_t& KeyAscii);

    // Closing always proceeds and ends the program.
    void Form_Unload(std::int16_t& Cancel);

  protected:
    void setBoxText(TextBox box, std::string text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void createControls();
    // What the result area has to tell: a box over the area for a warning, over the window for
    // a failure of the save (whose dialogs are over the window too).
    void txt_Message(const QString& text, ResultMessageKind kind);
    void placeOnScreen();
    QWidget* boxWidget(TextBox box) const;
    void applyDefaultRule(TextBox box);
    // Makes `button` (none when null) the one of the three computing buttons Enter presses.
    void makeDefault(QPushButton* button);
    QPushButton* defaultButton() const;
    void refreshTable();

    // The result area, reached only through these three.
    std::string resultText() const;
    QWidget* resultWidget() const;

    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdFatorar_ = nullptr;
    DigitLineEdit* txtIni_ = nullptr;
    QPushButton* cmdV_ = nullptr;
    DigitLineEdit* txtV_ = nullptr;
    QPushButton* cmdCalc_ = nullptr;
    DigitLineEdit* txtN_ = nullptr;
    ResultView* txt_ = nullptr;
    QWidget* tblFat_ = nullptr;
    QLabel* lblFator_ = nullptr;
    QLabel* lblNumFat_ = nullptr;
    QWidget* lneFat_ = nullptr;
    Announcer* announcer_ = nullptr;

    std::string numFatCaption_;
    std::string fatorCaption_;
    Pointer pointer_ = Pointer::Default;
    // What the computations have written, counted so that a click knows what it changed.
    int resultWrites_ = 0;
    int captionWrites_ = 0;
    int messages_ = 0;
    // Rows written to the table that assistive technology has not been told of yet.
    bool computing_ = false;
    bool tableDirty_ = false;
};

}  // namespace tavix::ui
