#include "ui/frm_tavix.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "core/computations.hpp"
#include "core/texts.hpp"
#include "ui/control_table.hpp"
#include "ui/desktop/window_placement.hpp"
#include "ui/digit_line_edit.hpp"
#include "ui/frm_about.hpp"
#include "ui/message_box.hpp"
#include "ui/result/result_view.hpp"
#include "ui/screen_reader.hpp"
#include "ui/window_look.hpp"

namespace tavix::ui {

namespace {

constexpr QColor kBackground(224, 224, 224);
constexpr int kClientWidth = 15225;
constexpr int kClientHeight = 8925;

// Assistive technology sees the main window as a window, not as a pane inside one.
QAccessibleInterface* mainWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(frmTavix::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

using enum ControlKind;

// The controls, in creation order: where two meet, the later lies on top. The two factor
// columns and their rule lie in a table that covers the window and shows nothing of its own:
// assistive technology reads their rows through it.
// clang-format off
constexpr ControlRow kControls[] = {
    // name        kind        text         left   top   width  height font     tab
    {"cmdHelp",    Button,     "?",         14040, 240,  975,   615,   {9.75},  11,
     {.description = "Sobre o Tavix"}},
    {"cmdFatorar", Button,     "Fatorar",   9240,  8040, 3495,  615,   {14.25}, 8},
    {"txtIni",     NumberBox,  "",          960,   240,  3615,  495,   {18},    0,
     {.name = "De:"}},
    {"cmdV",       Button,     "Verificar", 240,   8040, 3495,  615,   {14.25}, 5},
    {"txtV",       NumberBox,  "",          4020,  8040, 4935,  525,   {18},    4,
     {.name = "Número"}},
    {"cmdCalc",    Button,     "Calcular",  9600,  240,  3135,  615,   {14.25}, 2},
    {"txtN",       NumberBox,  "",          5520,  240,  3855,  495,   {18},    1,
     {.name = "Até:"}},
    {"txt",        ResultArea, "",          240,   960,  12510, 6975,  {12},    3,
     {.name = "Resultado"}},
    {"tblFat",     Pane,       "",          0,     0,    kClientWidth, kClientHeight, {}, -1},
    {"lblFator",   Label,      "",          14040, 960,  1215,  7695,  {},      10,
     {.flags = kCentred, .in = "tblFat"}},
    {"lblNumFat",  Label,      "",          12720, 960,  1335,  7695,  {},      9,
     {.flags = kCentred, .in = "tblFat"}},
    // from (14040, 960) to (14040, 8640)
    {"lneFat",     Line,       "",          14040, 960,  14040, 8640,  {},      -1,
     {.flags = kHidden, .colour = kFixedText, .in = "tblFat", .name = "Traço"}},
    {"lblDe",      Label,      "De:",       240,   240,  735,   375,   {18},    7,
     {.name = "De:"}},
    {"lblAte",     Label,      "Até:",      4680,  240,  735,   375,   {18},    6,
     {.flags = kAlignRight, .name = "Até:"}},
};
// clang-format on

QString rowsForDisplay(const std::string& caption) {
    QString rows = QString::fromStdString(caption);
    rows.replace(QChar(kRowSeparator), QChar('\n'));
    return rows;
}

}  // namespace

frmTavix::frmTavix(QWidget* parent) : QWidget(parent) {
    static const bool accessibleAsWindow =
        (QAccessible::installFactory(mainWindowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("frmTavix"));
    setWindowTitle(QStringLiteral("Tavix"));
    setAccessibleName(QStringLiteral("Tavix"));
    setWindowIcon(programIcon());
    setFont(arial(9.75));
    keepFixedLook(this, kBackground);
    setAutoFillBackground(true);
    resize(pixels(kClientWidth), pixels(kClientHeight));
    createControls();
    placeOnScreen();
}

frmTavix::~frmTavix() {
    if (pointer_ == Pointer::Hourglass) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void frmTavix::createControls() {
    const Controls controls = buildControls(this, kControls);
    presentAsTable(controls.find("tblFat"), controls.find("lblNumFat"), controls.find("lblFator"));
    cmdHelp_ = controls.get<QPushButton>("cmdHelp");
    cmdFatorar_ = controls.get<QPushButton>("cmdFatorar");
    txtIni_ = controls.get<DigitLineEdit>("txtIni");
    cmdV_ = controls.get<QPushButton>("cmdV");
    txtV_ = controls.get<DigitLineEdit>("txtV");
    cmdCalc_ = controls.get<QPushButton>("cmdCalc");
    txtN_ = controls.get<DigitLineEdit>("txtN");
    txt_ = controls.get<ResultView>("txt");
    tblFat_ = controls.find("tblFat");
    lblFator_ = controls.get<QLabel>("lblFator");
    lblNumFat_ = controls.get<QLabel>("lblNumFat");
    lneFat_ = controls.find("lneFat");
    controls.get<QLabel>("lblDe")->setBuddy(txtIni_);
    controls.get<QLabel>("lblAte")->setBuddy(txtN_);
    announcer_ = new Announcer(this);

    txtIni_->setKeyPressHandler([this](std::int16_t& key) { txtIni_KeyPress(key); });
    txtN_->setKeyPressHandler([this](std::int16_t& key) { txtN_KeyPress(key); });
    txtV_->setKeyPressHandler([this](std::int16_t& key) { txtV_KeyPress(key); });
    for (TextBox box : {TextBox::txtIni, TextBox::txtN, TextBox::txtV, TextBox::txt}) {
        boxWidget(box)->installEventFilter(this);
    }
    connect(cmdCalc_, &QPushButton::clicked, this, &frmTavix::cmdCalc_Click);
    connect(cmdV_, &QPushButton::clicked, this, &frmTavix::cmdV_Click);
    connect(cmdFatorar_, &QPushButton::clicked, this, &frmTavix::cmdFatorar_Click);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmTavix::cmdHelp_Click);
    connect(txt_, &ResultView::message, this, &frmTavix::txt_Message);
    showFocusMarks(this);
    txtIni_->setFocus(Qt::OtherFocusReason);
}

void frmTavix::placeOnScreen() {
    placeAtScreenCentre(this, nullptr);
}

QWidget* frmTavix::boxWidget(TextBox box) const {
    switch (box) {
        case TextBox::txtIni:
            return txtIni_;
        case TextBox::txtN:
            return txtN_;
        case TextBox::txtV:
            return txtV_;
        case TextBox::txt:
            return resultWidget();
    }
    return nullptr;
}

void frmTavix::setResultText(ResultTextPtr text) {
    txt_->setText(std::move(text));
    ++resultWrites_;
}
std::string frmTavix::resultText() const {
    return txt_->text().toString();
}
QWidget* frmTavix::resultWidget() const {
    return txt_;
}

std::string frmTavix::text(TextBox box) const {
    switch (box) {
        case TextBox::txtIni:
            return txtIni_->text().toStdString();
        case TextBox::txtN:
            return txtN_->text().toStdString();
        case TextBox::txtV:
            return txtV_->text().toStdString();
        case TextBox::txt:
            return resultText();
    }
    return {};
}

void frmTavix::setBoxText(TextBox box, std::string text) {
    switch (box) {
        case TextBox::txtIni:
            txtIni_->setText(QString::fromStdString(text));
            break;
        case TextBox::txtN:
            txtN_->setText(QString::fromStdString(text));
            break;
        case TextBox::txtV:
            txtV_->setText(QString::fromStdString(text));
            break;
        case TextBox::txt:
            setResultText(makePlainText(std::move(text)));
            break;
    }
}

std::string frmTavix::caption(FactorColumn column) const {
    return column == FactorColumn::lblNumFat ? numFatCaption_ : fatorCaption_;
}

void frmTavix::setCaption(FactorColumn column, std::string caption) {
    QLabel* label = column == FactorColumn::lblNumFat ? lblNumFat_ : lblFator_;
    const QString rows = rowsForDisplay(caption);
    label->setText(rows);
    (column == FactorColumn::lblNumFat ? numFatCaption_ : fatorCaption_) = std::move(caption);
    ++captionWrites_;
    // A factorization writes its rows one by one: the table is told once, when it ends.
    tableDirty_ = true;
    if (!computing_) {
        refreshTable();
    }
}

void frmTavix::setRuleVisible(bool visible) {
    lneFat_->setVisible(visible);
}

void frmTavix::setPointer(Pointer pointer) {
    if (pointer == pointer_) {
        return;
    }
    pointer_ = pointer;
    // The computation keeps the event loop busy: the override reaches the display at once,
    // where a widget cursor would wait for the next mouse move to be applied.
    if (pointer == Pointer::Hourglass) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

void frmTavix::setFocus(TextBox box) {
    QWidget* widget = boxWidget(box);
    widget->setFocus(Qt::OtherFocusReason);
    // An inactive window learns of the move only when it is activated again; the default
    // button follows the focus right away all the same.
    if (!widget->hasFocus()) {
        applyDefaultRule(box);
    }
}

void frmTavix::showMessage(std::string_view message, MessageIcon icon) {
    ++messages_;
    refreshTable();
    showMessageBox(this, QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())),
                   icon);
}

void frmTavix::txt_Message(const QString& text, ResultMessageKind kind) {
    const bool warning = kind == ResultMessageKind::Warning;
    showMessageBox(warning ? static_cast<QWidget*>(txt_) : this, text,
                   warning ? MessageIcon::Exclamation : MessageIcon::Critical);
}

NumberFormat frmTavix::systemNumberFormat() {
    const QLocale locale = QLocale::system();
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

// Each outcome is spoken where the focus is left: a message box speaks for itself; a new
// listing or table is announced, once the computation has put the focus where it goes.
void frmTavix::cmdCalc_Click() {
    const int writes = resultWrites_;
    const int messages = messages_;
    tavix::cmdCalc_Click(*this, systemNumberFormat());
    if (resultWrites_ != writes && messages_ == messages && txt_->text().length() > 0) {
        announcer_->announce(listingSummary(txt_->text()));
    }
}
void frmTavix::cmdV_Click() {
    tavix::cmdV_Click(*this, systemNumberFormat());
}
void frmTavix::refreshTable() {
    if (tableDirty_) {
        tableDirty_ = false;
        tableRowsChanged(tblFat_);
    }
}

void frmTavix::cmdFatorar_Click() {
    const int writes = captionWrites_;
    const int messages = messages_;
    computing_ = true;
    tavix::cmdFatorar_Click(*this, systemNumberFormat());
    computing_ = false;
    refreshTable();
    const QString summary = factorizationSummary(numFatCaption_, fatorCaption_);
    if (captionWrites_ != writes && messages_ == messages && !summary.isEmpty()) {
        announcer_->announce(summary);
    }
}

void frmTavix::cmdHelp_Click() {
    setFocus(TextBox::txtIni);
    openAboutWindow();
}

void frmTavix::txtIni_GotFocus() {
    makeDefault(cmdCalc_);
}

void frmTavix::txtN_GotFocus() {
    makeDefault(cmdCalc_);
}

void frmTavix::txtV_GotFocus() {
    makeDefault(cmdFatorar_);
}

void frmTavix::txt_GotFocus() {
    makeDefault(nullptr);
}

void frmTavix::makeDefault(QPushButton* button) {
    for (QPushButton* candidate : {cmdCalc_, cmdV_, cmdFatorar_}) {
        candidate->setDefault(candidate == button);
    }
}

void frmTavix::txtIni_KeyPress(std::int16_t& KeyAscii) {
    keepDigitsAndBackspace(KeyAscii);
}
void frmTavix::txtN_KeyPress(std::int16_t& KeyAscii) {
    keepDigitsAndBackspace(KeyAscii);
}
void frmTavix::txtV_KeyPress(std::int16_t& KeyAscii) {
    keepDigitsAndBackspace(KeyAscii);
}

void frmTavix::Form_Unload(std::int16_t& /*Cancel*/) {
    // Ends the program at once, whatever other window is open; nothing is asked or saved.
    QCoreApplication::exit(0);
}

void frmTavix::applyDefaultRule(TextBox box) {
    switch (box) {
        case TextBox::txtIni:
            txtIni_GotFocus();
            break;
        case TextBox::txtN:
            txtN_GotFocus();
            break;
        case TextBox::txtV:
            txtV_GotFocus();
            break;
        case TextBox::txt:
            txt_GotFocus();
            break;
    }
}

QPushButton* frmTavix::defaultButton() const {
    for (QPushButton* button : {cmdCalc_, cmdV_, cmdFatorar_}) {
        if (button->isDefault()) {
            return button;
        }
    }
    return nullptr;
}

bool frmTavix::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (TextBox box : {TextBox::txtIni, TextBox::txtN, TextBox::txtV, TextBox::txt}) {
            if (watched == boxWidget(box)) {
                applyDefaultRule(box);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A plain window has no dialog to route Enter: a focused button takes it, otherwise the
// default button, if any, is pressed. The boxes pass Enter on to the window.
void frmTavix::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->key() == Qt::Key_Enter && event->modifiers() == Qt::KeypadModifier);
    if (enter && plain) {
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
            focused->click();
        } else if (QPushButton* button = defaultButton()) {
            button->click();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmTavix::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    event->setAccepted(cancel == 0);
}

}  // namespace tavix::ui
