#include "ui/frm_about.hpp"

#include <QAccessibleWidget>
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "ui/beep.hpp"
#include "ui/desktop_link.hpp"
#include "ui/window_look.hpp"
#include "ui/window_placement.hpp"

namespace tavix::ui {

const char* const frmAbout::kEmailTarget = "mailto:contato@tavix.example";
const char* const frmAbout::kLink1Target = "https://www.tavix.example/";
const char* const frmAbout::kLink2Target = "https://docs.tavix.example/";
const char* const frmAbout::kLink3Target = "https://forum.tavix.example/";

namespace {

// The dialog colour of the classic light desktops, kept on dark desktops too, since the
// texts drawn on it have fixed dark colours.
constexpr QColor kDialogBackground(240, 240, 240);
// The separator's grey: the darkest that still reads as an etched line, and the lightest
// that stands out 4.5:1 from the background and from the white line it lies on.
constexpr QColor kSeparatorGrey(0x69, 0x69, 0x69);

QFont windowFont() {
    return arial(9.75);
}

QFont boldFont() {
    QFont font = windowFont();
    font.setBold(true);
    return font;
}

QFont underlinedFont() {
    QFont font = windowFont();
    font.setUnderline(true);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

template <typename Label>
Label* makeLabel(QWidget* window, const char* name, const QString& text, QRect geometry,
                 const QFont& font, const QString& accessibleName) {
    auto* label = new Label(window);
    label->setObjectName(QString::fromLatin1(name));
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(accessibleName);
    return label;
}

// One member of a straight line: a solid strip of its colour and width.
QWidget* makeLine(QWidget* window, QRect geometry, const QColor& colour,
                  const QString& accessibleName) {
    auto* line = new QWidget(window);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setAccessibleName(accessibleName);
    return line;
}

// A link, for assistive technology: named by the text it shows, pressed by its action.
class LinkAccessible : public QAccessibleWidget {
  public:
    explicit LinkAccessible(QWidget* label)
        : QAccessibleWidget(label, QAccessible::Link, static_cast<QLabel*>(label)->text()) {
        addControllingSignal(QStringLiteral("clicked()"));
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? static_cast<QLabel*>(widget())->text()
                                         : QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            emit static_cast<ClickableLabel*>(widget())->clicked();
        }
    }
};

QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className())) {
        return new LinkAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

void openTarget(const char* target) {
    ShellExecuteA(0, "", target, "", "", SW_HIDE);
}

}  // namespace

void installLinkAccessibility() {
    static const bool installed = (QAccessible::installFactory(linkAccessible), true);
    Q_UNUSED(installed);
}

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
    installLinkAccessibility();
    // Reached with Tab; a click opens the link without taking the focus.
    setFocusPolicy(Qt::TabFocus);
}

// Enter and Space open the focused link, as they press a focused button; Esc and the rest go
// on to the window.
void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->key() == Qt::Key_Enter && event->modifiers() == Qt::KeypadModifier);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                  event->key() == Qt::Key_Space)) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton &&
               !event->flags().testFlag(Qt::MouseEventCreatedDoubleClick);
    QLabel::mousePressEvent(event);
}

// Qt hands the second press of a double-click over as a double-click, by default as one
// more press: it arms nothing here.
void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Sobre o Tavix"));
    setWindowIcon(programIcon());
    setAccessibleName(QStringLiteral("Sobre o Tavix"));
    setFont(windowFont());
    keepFixedLook(this, kDialogBackground);
    setFixedSize(407, 257);
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window alone keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setGeometry(twipsRect(120, 120, 1560, 1560));
    picIcon_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon_->setPixmap(programPixmap(devicePixelRatioF()));
    picIcon_->setFocusPolicy(Qt::StrongFocus);
    picIcon_->setAccessibleName(QStringLiteral("Ícone do Tavix"));

    cmdOK_ = new QPushButton(QStringLiteral("Ok"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(twipsRect(4320, 3360, 1740, 435));
    cmdOK_->setDefault(true);
    cmdOK_->setAccessibleName(QStringLiteral("Ok"));
    cmdOK_->setAccessibleDescription(QStringLiteral("Fecha esta janela"));

    lblLink1_ =
        makeLabel<ClickableLabel>(this, "lblLink1", QStringLiteral("www.tavix.example"),
                                  twipsRect(1320, 2880, 2775, 255), underlinedFont(), QString());
    lblLink2_ =
        makeLabel<ClickableLabel>(this, "lblLink2", QStringLiteral("docs.tavix.example"),
                                  twipsRect(1320, 2520, 2295, 255), underlinedFont(), QString());
    lblLink3_ =
        makeLabel<ClickableLabel>(this, "lblLink3", QStringLiteral("forum.tavix.example"),
                                  twipsRect(1320, 2160, 2295, 255), underlinedFont(), QString());
    lblSites_ = makeLabel<QLabel>(this, "lblSites", QStringLiteral("Meus Sites:"),
                                  twipsRect(120, 2160, 1215, 255), boldFont(), QString());
    lblContato_ = makeLabel<QLabel>(this, "lblContato", QStringLiteral("Contato:"),
                                    twipsRect(120, 1800, 855, 255), boldFont(), QString());
    lblEmail_ =
        makeLabel<ClickableLabel>(this, "lblEmail", QStringLiteral("contato@tavix.example"),
                                  twipsRect(1080, 1800, 2895, 255), underlinedFont(), QString());
    for (ClickableLabel* link : {lblLink1_, lblLink2_, lblLink3_}) {
        link->setAccessibleDescription(QStringLiteral("Abre o site no navegador"));
    }
    lblEmail_->setAccessibleDescription(QStringLiteral("Escreve uma mensagem para este endereço"));

    // The separator: a grey line over a white, wider one, which shows below it as a
    // highlight, so that the two read as one etched line.
    Line1_1_ = makeLine(this, QRect(8, 216, 392, 1), kSeparatorGrey,
                        QStringLiteral("Separador, linha cinza"));

    lblDescription_ = makeLabel<QLabel>(
        this, "lblDescription",
        QStringLiteral("O Tavix lista os números primos de um intervalo, verifica se um "
                       "número é primo e fatora um número na tabela de duas colunas. "
                       "Um programa da equipe do Tavix."),
        twipsRect(1800, 720, 4245, 1050), windowFont(), QString());
    lblDescription_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblDescription_->setWordWrap(true);
    setTextColour(lblDescription_, Qt::black);

    lblTitle_ = makeLabel<QLabel>(this, "lblTitle", QStringLiteral("Tavix"),
                                  twipsRect(1800, 120, 3885, 360), boldFont(), QString());
    setTextColour(lblTitle_, Qt::black);

    Line1_0_ =
        makeLine(this, QRect(8, 216, 392, 2), Qt::white, QStringLiteral("Separador, linha branca"));
    Line1_0_->stackUnder(Line1_1_);

    // Every label is named by its text. The version says more, after its text: screen readers
    // (Orca) read a dialog's labels of three words or more as it opens, and no shorter ones.
    lblVersion_ = makeLabel<QLabel>(this, "lblVersion", QStringLiteral("v1.0"),
                                    twipsRect(1800, 360, 2325, 225), boldFont(),
                                    QStringLiteral("v1.0, versão do programa"));

    lblDisclaimer_ = makeLabel<QLabel>(this, "lblDisclaimer", QString(),
                                       twipsRect(120, 3360, 3870, 345), windowFont(), QString());
    setTextColour(lblDisclaimer_, Qt::black);

    // "Ok" and the icon take the focus, in this order; then the links, from the keyboard
    // only, in the order of their places in the tab order: the e-mail, then the sites from the
    // top down.
    QWidget* const focusOrder[] = {cmdOK_, picIcon_, lblEmail_, lblLink3_, lblLink2_, lblLink1_};
    for (std::size_t i = 0; i + 1 < std::size(focusOrder); ++i) {
        setTabOrder(focusOrder[i], focusOrder[i + 1]);
    }
    cmdOK_->setFocus();

    showFocusMarks(this);

    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(lblEmail_, &ClickableLabel::clicked, this, &frmAbout::lblEmail_Click);
    connect(lblLink1_, &ClickableLabel::clicked, this, &frmAbout::lblLink1_Click);
    connect(lblLink2_, &ClickableLabel::clicked, this, &frmAbout::lblLink2_Click);
    connect(lblLink3_, &ClickableLabel::clicked, this, &frmAbout::lblLink3_Click);

    // The window that takes the activation is known only once the toolkit has finished
    // moving it, so the rule runs right after each change.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window != nullptr && window != windowHandle() && !deactivationPending_) {
            deactivationPending_ = true;
            QTimer::singleShot(0, this, &frmAbout::Form_Deactivate);
        }
    });
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::lblEmail_Click() {
    openTarget(kEmailTarget);
}
void frmAbout::lblLink1_Click() {
    openTarget(kLink1Target);
}
void frmAbout::lblLink2_Click() {
    openTarget(kLink2Target);
}
void frmAbout::lblLink3_Click() {
    openTarget(kLink3Target);
}

// Another window of the program has become the active one: beep and take the activation
// back. Windows of other programs leave no active window here and are let be.
void frmAbout::Form_Deactivate() {
    deactivationPending_ = false;
    QWidget* active = QApplication::activeWindow();
    if (QCoreApplication::closingDown() || !isVisible() || active == nullptr || active == this ||
        !active->isVisible()) {
        return;
    }
    const Qt::WindowType type = active->windowType();
    if (type != Qt::Window && type != Qt::Dialog) {
        return;
    }
    beep();
    // On X11 the window takes the activation. On Wayland it can only ask: Qt hands the request
    // to the compositor (xdg-activation), which may grant it or only mark the window.
    raise();
    activateWindow();
}

// Every way of closing ("Ok", Enter, Esc, the close box, Alt+F4) ends here.
void frmAbout::done(int result) {
    const bool wasActive = isActiveWindow();
    const QPointer<QWidget> returnWindow = returnWindow_;
    closed_ = true;
    QDialog::done(result);
    if (wasActive && returnWindow && returnWindow->isVisible() &&
        !QCoreApplication::closingDown()) {
        returnWindow->raise();
        returnWindow->activateWindow();
    }
}

void frmAbout::placeAtCentre(const QWidget* reference) {
    // Should the desktop not tell this window's frame beforehand, that of the reference
    // window is the best guess.
    QMargins guess;
    if (reference != nullptr && reference->windowHandle() != nullptr) {
        guess = reference->windowHandle()->frameMargins();
    }
    placeAtScreenCentre(this, reference, guess);
}

// Esc presses "Ok" like Enter does, whichever control has the focus.
void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

frmAbout* aboutWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* about = qobject_cast<frmAbout*>(window);
        if (about != nullptr && !about->isClosed()) {
            return about;
        }
    }
    return nullptr;
}

void openAboutWindow() {
    QWidget* active = QApplication::activeWindow();
    frmAbout* about = aboutWindow();
    if (about == nullptr) {
        about = new frmAbout;  // no owner
        about->placeAtCentre(active);
    }
    if (active != nullptr && active != about) {
        about->setReturnWindow(active);
    }
    about->show();
    about->raise();
    about->activateWindow();
}

}  // namespace tavix::ui
