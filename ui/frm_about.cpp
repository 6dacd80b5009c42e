#include "ui/frm_about.hpp"

#include <QApplication>
#include <QColor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "ui/beep.hpp"
#include "ui/control_table.hpp"
#include "ui/desktop/desktop_link.hpp"
#include "ui/desktop/title_bar.hpp"
#include "ui/desktop/window_placement.hpp"
#include "ui/desktop/windows.hpp"
#include "ui/desktop/x11_window_hints.hpp"
#include "ui/window_look.hpp"

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

using enum ControlKind;

constexpr ControlFont kWindowFont{9.75};
constexpr ControlFont kBold{9.75, true};
constexpr ControlFont kUnderlined{9.75, false, true};
constexpr QColor kBlack(0, 0, 0);
constexpr QColor kWhite(255, 255, 255);

constexpr char kDescription[] =
    "O Tavix lista os números primos de um intervalo, verifica se um número é primo e fatora "
    "um número na tabela de duas colunas. Um programa da equipe do Tavix.";
constexpr char kSiteLink[] = "Abre o site no navegador";

// The controls, in creation order: where two meet, the later lies on top. "Ok" and the icon
// take the focus, in this order; then the links, from the keyboard only, in the order of
// their tab indexes: the e-mail, then the sites from the top down. The separator is a grey
// line over a white, wider one, which shows below it as a highlight, so that the two read
// as one etched line. Every label is named by its text; the version says more, after its
// text: screen readers (Orca) read a dialog's labels of three words or more as it opens,
// and no shorter ones.
// clang-format off
constexpr ControlRow kControls[] = {
    // name            kind     text                     left  top   width height font         tab
    {"picIcon",        Picture, "",                      120,  120,  1560, 1560, {},          1,
     {.name = "Ícone do Tavix"}},
    {"cmdOK",          Button,  "Ok",                    4320, 3360, 1740, 435,  {},          0,
     {.flags = kDefault, .description = "Fecha esta janela"}},
    {"lblLink1",       Link,    "www.tavix.example",     1320, 2880, 2775, 255,  kUnderlined, 11,
     {.description = kSiteLink}},
    {"lblLink2",       Link,    "docs.tavix.example",    1320, 2520, 2295, 255,  kUnderlined, 10,
     {.description = kSiteLink}},
    {"lblLink3",       Link,    "forum.tavix.example",   1320, 2160, 2295, 255,  kUnderlined, 9,
     {.description = kSiteLink}},
    {"lblSites",       Label,   "Meus Sites:",           120,  2160, 1215, 255,  kBold,       8},
    {"lblContato",     Label,   "Contato:",              120,  1800, 855,  255,  kBold,       7},
    {"lblEmail",       Link,    "contato@tavix.example", 1080, 1800, 2895, 255,  kUnderlined, 6,
     {.description = "Escreve uma mensagem para este endereço"}},
    // from (120, 3240) to (6000, 3240)
    {"Line1",          Line,    "",                      120,  3240, 6000, 3240, {},          -1,
     {.colour = kSeparatorGrey, .name = "Separador, linha cinza"}},
    {"lblDescription", Label,   kDescription,            1800, 720,  4245, 1050, kWindowFont, 2,
     {.flags = kCentred | kWrapped, .colour = kBlack}},
    {"lblTitle",       Label,   "Tavix",                 1800, 120,  3885, 360,  kBold,       4,
     {.colour = kBlack}},
    {"Line1",          Line,    "",                      120,  3240, 6000, 3240, {},          -1,
     {.colour = kWhite, .lineWidth = 2, .under = "Line1", .name = "Separador, linha branca"}},
    {"lblVersion",     Label,   "v1.0",                  1800, 360,  2325, 225,  kBold,       5,
     {.name = "v1.0, versão do programa"}},
    {"lblDisclaimer",  Label,   "",                      120,  3360, 3870, 345,  kWindowFont, 3,
     {.colour = kBlack}},
};
// clang-format on

void openTarget(const char* target) {
    ShellExecuteA(0, "", target, "", "", SW_HIDE);
}

}  // namespace

frmAbout::frmAbout()
    : frmAbout(desktop::titleBarsLeftToPrograms() ? TitleBar::Own : TitleBar::Desktop) {}

frmAbout::frmAbout(TitleBar titleBar)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Sobre o Tavix"));
    setWindowIcon(programIcon());
    setAccessibleName(QStringLiteral("Sobre o Tavix"));
    setFont(arial(kWindowFont.points));
    keepFixedLook(this, kDialogBackground);
    setFixedSize(407, 257);
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window alone keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);

    const Controls controls = buildControls(this, kControls);
    if (titleBar == TitleBar::Own) {
        desktop::addTitleBar(this);
    }
    cmdOK_ = controls.get<QPushButton>("cmdOK");
    cmdOK_->setFocus();
    showFocusMarks(this);

    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    const std::pair<const char*, void (frmAbout::*)()> links[] = {
        {"lblEmail", &frmAbout::lblEmail_Click},
        {"lblLink1", &frmAbout::lblLink1_Click},
        {"lblLink2", &frmAbout::lblLink2_Click},
        {"lblLink3", &frmAbout::lblLink3_Click}};
    for (const auto& [name, click] : links) {
        connect(controls.get<ClickableLabel>(name), &ClickableLabel::clicked, this, click);
    }

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
    // One beep each time: on X11 the window manager may deactivate this window again, for the
    // same click, as it takes the activation back.
    if (!x11::activationExpected(this)) {
        beep();
    }
    x11::expectActivation(this);
    desktop::activate(this);
}

// Every way of closing ("Ok", Enter, Esc, the close box, Alt+F4) ends here.
void frmAbout::done(int result) {
    const bool wasActive = isActiveWindow();
    const QPointer<QWidget> returnWindow = returnWindow_;
    closed_ = true;
    QDialog::done(result);
    if (wasActive && returnWindow && returnWindow->isVisible() &&
        !QCoreApplication::closingDown()) {
        desktop::activate(returnWindow);
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
        desktop::setOwner(about, active);
        about->placeAtCentre(active);
    }
    if (active != nullptr && active != about) {
        about->setReturnWindow(active);
    }
    about->show();
    desktop::activate(about);
}

}  // namespace tavix::ui
