// The main window driven in-process with real key presses and clicks.
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <memory>
#include <vector>

#include "support/qt_helpers.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/screen_reader.hpp"

using tavix::FactorColumn;
using tavix::TextBox;
using tavix::ui::frmTavix;

namespace {

bool hourglassShown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// The main window, noting at every write whether the hourglass was showing, and every
// pointer the computations asked for.
class ObservedWindow : public frmTavix {
  public:
    std::vector<bool> hourglassAtWrite;
    std::vector<tavix::Pointer> pointers;

    void setPointer(tavix::Pointer pointer) override {
        pointers.push_back(pointer);
        frmTavix::setPointer(pointer);
    }

    void setBoxText(TextBox box, std::string text) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setBoxText(box, std::move(text));
    }
    void setResultText(tavix::ResultTextPtr text) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setResultText(std::move(text));
    }
    void setCaption(FactorColumn column, std::string caption) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setCaption(column, std::move(caption));
    }
};

// Closes every message box as soon as it is up, noting what it showed.
class MessageCatcher {
  public:
    struct Seen {
        QString title, text, accessibleDescription;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        bool modal;
        bool hourglass;
    };
    std::vector<Seen> seen;

  private:
    tavix::testing::MessageBoxAnswerer answerer_{[this](QMessageBox& box) {
        seen.push_back({box.windowTitle(), box.text(), box.accessibleDescription(), box.icon(),
                        box.standardButtons(), box.isModal(), hourglassShown()});
    }};
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ObservedWindow> window;

    template <typename T = QWidget>
    T* control(const char* name) const {
        return tavix::testing::control<T>(*window, name);
    }
    // What assistive technology reads from a text control.
    QString shownText(const char* name) const {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control(name));
        QAccessibleTextInterface* text = accessible ? accessible->textInterface() : nullptr;
        return text ? text->text(0, text->characterCount()) : QString();
    }
    QString focused() const {
        QWidget* focus = window->focusWidget();
        return focus ? focus->objectName() : QString();
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static void type(const QString& keys) {
        for (QChar key : keys) {
            if (key.unicode() < 0x80) {
                QTest::keyClick(QApplication::focusWidget(), char(key.unicode()));
            } else {
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString(key), Qt::NoModifier);
            }
        }
    }
    void focusAndFill(const char* name, const QString& text) {
        auto* box = control<QLineEdit>(name);
        box->setFocus();
        box->setText(text);
    }
    QString defaults() const {
        QString names;
        for (const char* name : {"cmdCalc", "cmdV", "cmdFatorar", "cmdHelp"}) {
            if (control<QPushButton>(name)->isDefault()) {
                names += QString::fromLatin1(name);
            }
        }
        return names;
    }
    // Which computing button each click went to, from Enter presses and the like.
    struct Clicks {
        QSignalSpy calc, v, fatorar, help;
        explicit Clicks(const MainWindowTest& t)
            : calc(t.control<QPushButton>("cmdCalc"), &QPushButton::clicked),
              v(t.control<QPushButton>("cmdV"), &QPushButton::clicked),
              fatorar(t.control<QPushButton>("cmdFatorar"), &QPushButton::clicked),
              help(t.control<QPushButton>("cmdHelp"), &QPushButton::clicked) {}
        QString pressed() const {
            return QString::number(calc.count()) + QString::number(v.count()) +
                   QString::number(fatorar.count()) + QString::number(help.count());
        }
    };

  private slots:
    void init() {
        window = std::make_unique<ObservedWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() {
        // Whatever "?" opened goes with the window, as it does when the program ends.
        for (QWidget* other : QApplication::topLevelWidgets()) {
            if (other != window.get() && other->isVisible()) {
                other->close();
            }
        }
        window.reset();
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void windowSettings() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Tavix"));
        QCOMPARE(window->size(), QSize(1015, 595));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(224, 224, 224));
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
        QVERIFY(window->minimumSize() != window->maximumSize());
        QCOMPARE(focused(), QStringLiteral("txtIni"));
        QCOMPARE(defaults(), QStringLiteral("cmdCalc"));
        QVERIFY(!control("lneFat")->isVisible());
        for (TextBox box : {TextBox::txtIni, TextBox::txtN, TextBox::txtV, TextBox::txt}) {
            QCOMPARE(window->text(box), std::string());
        }
    }

    void controlsInPlace_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<qreal>("points");
        // Name, caption, accessible name, left/top/width/height in pixels (twips / 15), size.
        auto row = [](const char* name, const char* caption, const char* accessible, QRect rect,
                      qreal points) {
            QTest::newRow(name) << QString::fromUtf8(caption) << QString::fromUtf8(accessible)
                                << rect << points;
        };
        row("cmdHelp", "?", "?", {936, 16, 65, 41}, 9.75);
        row("cmdFatorar", "Fatorar", "Fatorar", {616, 536, 233, 41}, 14.25);
        row("txtIni", "", "De:", {64, 16, 241, 33}, 18);
        row("cmdV", "Verificar", "Verificar", {16, 536, 233, 41}, 14.25);
        row("txtV", "", "Número", {268, 536, 329, 35}, 18);
        row("cmdCalc", "Calcular", "Calcular", {640, 16, 209, 41}, 14.25);
        row("txtN", "", "Até:", {368, 16, 257, 33}, 18);
        row("txt", "", "Resultado", {16, 64, 834, 465}, 12);
        row("lblFator", "", "", {936, 64, 81, 513}, 9.75);
        row("lblNumFat", "", "", {848, 64, 89, 513}, 9.75);
        row("lneFat", "", "Traço", {936, 64, 1, 512}, 9.75);
        row("lblDe", "De:", "De:", {16, 16, 49, 25}, 18);
        row("lblAte", "Até:", "Até:", {312, 16, 49, 25}, 18);
    }

    void controlsInPlace() {
        QFETCH(QString, caption);
        QFETCH(QString, accessibleName);
        QFETCH(QRect, pixels);
        QFETCH(qreal, points);
        QWidget* widget = control(QTest::currentDataTag());
        QCOMPARE(widget->geometry(), pixels);
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name),
                 accessibleName);
        QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
        QCOMPARE(widget->font().pointSizeF(), points);
        QVERIFY(!widget->font().bold() && !widget->font().italic());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(button->text(), caption);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->text(), caption);
        }
        // Nothing moves when the window changes size.
        window->resize(500, 300);
        QCOMPARE(widget->geometry(), pixels);
        window->showMaximized();
        QCOMPARE(widget->geometry(), pixels);
    }

    void labelAlignment() {
        QVERIFY(control<QLabel>("lblDe")->alignment() & Qt::AlignLeft);
        QVERIFY(control<QLabel>("lblAte")->alignment() & Qt::AlignRight);
        QVERIFY(control<QLabel>("lblFator")->alignment() & Qt::AlignHCenter);
        QVERIFY(control<QLabel>("lblNumFat")->alignment() & Qt::AlignHCenter);
    }

    void digitFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("letter") << "12a3"
                                << "123";
        QTest::newRow("sign") << "-5"
                              << "5";
        QTest::newRow("full stop") << "1.5"
                                   << "15";
        QTest::newRow("comma") << "1,5"
                               << "15";
        QTest::newRow("blanks") << " 7 8 "
                                << "78";
        QTest::newRow("plus, exponent") << "+1E5"
                                        << "15";
        QTest::newRow("accent, symbols") << "é2$%&3"
                                         << "23";
        QTest::newRow("all digits") << "0123456789"
                                    << "0123456789";
    }

    void digitFilter() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        for (const char* name : {"txtIni", "txtN", "txtV"}) {
            auto* box = control<QLineEdit>(name);
            box->clear();
            box->setFocus();
            type(typed);
            QCOMPARE(box->text(), kept);
        }
    }

    void controlCharactersDiscarded() {
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        for (const char* name : {"txtIni", "txtN", "txtV"}) {
            auto* box = control<QLineEdit>(name);
            box->setFocus();
            box->setText(QStringLiteral("123"));
            box->selectAll();
            press(Qt::Key_V, Qt::ControlModifier);
            press(Qt::Key_X, Qt::ControlModifier);
            press(Qt::Key_C, Qt::ControlModifier);
            press(Qt::Key_Z, Qt::ControlModifier);
            // As the X server sends them: the control character as the key's text.
            for (auto [key, code] : {std::pair{Qt::Key_V, 22}, {Qt::Key_X, 24}, {Qt::Key_C, 3}}) {
                QKeyEvent event(QEvent::KeyPress, key, Qt::ControlModifier, QString(QChar(code)));
                QApplication::sendEvent(box, &event);
            }
            press(Qt::Key_Escape);
            QCOMPARE(box->text(), QStringLiteral("123"));
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("99"));
        }
    }

    void editingKeysWork() {
        auto* box = control<QLineEdit>("txtN");
        box->setFocus();
        type(QStringLiteral("1234"));
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        press(Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("134"));
        press(Qt::Key_Home);
        press(Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("34"));
        press(Qt::Key_End);
        type(QStringLiteral("5"));
        press(Qt::Key_Right);
        QCOMPARE(box->text(), QStringLiteral("345"));
        QCOMPARE(window->text(TextBox::txtN), "345");
    }

    void pasteIsNotFiltered() {
        auto* box = control<QLineEdit>("txtIni");
        box->insert(QStringLiteral("a-1.5"));
        QCOMPARE(window->text(TextBox::txtIni), "a-1.5");
        QGuiApplication::clipboard()->setText(QStringLiteral("x,9"));
        box->paste();
        QCOMPARE(window->text(TextBox::txtIni), "a-1.5x,9");
    }

    // What an input method commits (a dead key and its letter, a compose sequence, the word
    // of an on-screen keyboard) goes through the same filter, character by character.
    void inputMethodCommitsAreFiltered_data() {
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("dead tilde, a") << QStringLiteral("ã") << "5";
        QTest::newRow("dead acute, e") << QStringLiteral("é") << "5";
        QTest::newRow("dead tilde, space") << QStringLiteral("~") << "5";
        QTest::newRow("compose c, comma") << QStringLiteral("ç") << "5";
        QTest::newRow("a digit") << QStringLiteral("7") << "57";
        QTest::newRow("digits among others") << QStringLiteral("1ã2~3 4,5") << "512345";
        QTest::newRow("other scripts' digits") << QStringLiteral("٣३") << "5";
        QTest::newRow("beyond 16 bits") << QStringLiteral("8😀9") << "589";
        QTest::newRow("backspace") << QStringLiteral("\b") << "";
        QTest::newRow("digits, backspace") << QStringLiteral("12\b") << "51";
        QTest::newRow("backspace, digit") << QStringLiteral("\b6") << "6";
    }

    void inputMethodCommitsAreFiltered() {
        QFETCH(QString, committed);
        QFETCH(QString, kept);
        for (const char* name : {"txtIni", "txtN", "txtV"}) {
            auto* box = control<QLineEdit>(name);
            box->setFocus();
            box->setText(QStringLiteral("5"));
            // What is being composed only shows; the box's text waits for the commit.
            QInputMethodEvent composing(QStringLiteral("~"), {});
            QApplication::sendEvent(box, &composing);
            QCOMPARE(box->text(), QStringLiteral("5"));
            QInputMethodEvent commit;
            commit.setCommitString(committed);
            QApplication::sendEvent(box, &commit);
            QCOMPARE(box->text(), kept);
            QCOMPARE(window->text(box == control<QLineEdit>("txtIni") ? TextBox::txtIni
                                  : box == control<QLineEdit>("txtN") ? TextBox::txtN
                                                                      : TextBox::txtV),
                     kept.toStdString());
        }
    }

    // A commit that replaces text around the caret (an on-screen keyboard's correction)
    // replaces it, with only the digits of what it brings.
    void inputMethodReplacementKeepsDigitsOnly() {
        auto* box = control<QLineEdit>("txtV");
        box->setFocus();
        box->setText(QStringLiteral("1234"));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("x9y"), -2, 2);  // the "34" before the caret
        QApplication::sendEvent(box, &commit);
        QCOMPARE(box->text(), QStringLiteral("129"));
        // The boxes ask on-screen keyboards for their digits.
        QVERIFY(box->inputMethodHints() & Qt::ImhDigitsOnly);
    }

    // Text dragged onto a number box is refused: nothing goes in.
    void dropsAreRefused() {
        for (const char* name : {"txtIni", "txtN", "txtV"}) {
            auto* box = control<QLineEdit>(name);
            box->setText(QStringLiteral("5"));
            QVERIFY(!box->acceptDrops());
            QMimeData data;
            data.setText(QStringLiteral("12a"));
            const QPointF at(5, 5);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data,
                                  Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box, &enter);
            QVERIFY(!enter.isAccepted());
            QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
            QApplication::sendEvent(box, &drop);
            QVERIFY(!drop.isAccepted());
            QCOMPARE(box->text(), QStringLiteral("5"));
        }
    }

    // Huge pastes (a one-line box keeps the first 32767 characters) reach the computations
    // as they are: digits overflow, blanks or letters of any script end silently, and the
    // window keeps working afterwards.
    void hugePastesInEveryBox() {
        const QString digits(1'000'000, QLatin1Char('9'));
        const QString blanks(1'000'000, QLatin1Char(' '));
        const QString mixed = QString::fromUtf8("١٢٣ число 数 ") + QString(200'000, QChar(0x00e9));
        struct Case {
            const char* box;
            const char* button;
        };
        const Case cases[] = {
            {"txtIni", "cmdCalc"}, {"txtN", "cmdCalc"}, {"txtV", "cmdV"}, {"txtV", "cmdFatorar"}};
        for (const Case& c : cases) {
            for (const QString* pasted : {&digits, &blanks, &mixed}) {
                control<QLineEdit>("txtIni")->setText(QStringLiteral("1"));
                control<QLineEdit>("txtN")->setText(QStringLiteral("2"));
                control<QLineEdit>(c.box)->clear();
                control<QLineEdit>(c.box)->insert(*pasted);
                MessageCatcher catcher;
                QTest::mouseClick(control<QPushButton>(c.button), Qt::LeftButton);
                const bool overflow = pasted == &digits;
                QVERIFY2(catcher.seen.size() == std::size_t(overflow ? 1 : 0),
                         qPrintable(QString::fromLatin1(c.box) + QLatin1Char(' ') +
                                    QString::fromLatin1(c.button) + QLatin1Char(' ') +
                                    pasted->left(8) + QLatin1Char(' ') +
                                    (catcher.seen.empty() ? QString() : catcher.seen[0].text)));
                if (overflow) {
                    QCOMPARE(catcher.seen[0].text, QStringLiteral("Valor acima da memória."));
                }
                QVERIFY(QGuiApplication::overrideCursor() == nullptr);
            }
        }
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        focusAndFill("txtIni", QStringLiteral("10"));
        control<QLineEdit>("txtN")->setText(QStringLiteral("30"));
        QTest::keyClick(control("txtIni"), Qt::Key_Return);
        QCOMPARE(window->text(TextBox::txt), "Total de 6 números primos: 11, 13, 17, 19, 23, 29");
    }

    void keyPressHandlersFilterCodes() {
        struct Case {
            std::int16_t code;
            std::int16_t after;
        };
        const Case cases[] = {{8, 8},  {48, 48}, {57, 57}, {47, 0},     {58, 0},  {0, 0},
                              {3, 0},  {9, 0},   {13, 0},  {22, 0},     {27, 0},  {32, 0},
                              {45, 0}, {127, 0}, {-1, 0},  {-32768, 0}, {233, 0}, {0x0661, 0}};
        for (auto handler :
             {&frmTavix::txtIni_KeyPress, &frmTavix::txtN_KeyPress, &frmTavix::txtV_KeyPress}) {
            for (const Case& c : cases) {
                std::int16_t code = c.code;
                (window.get()->*handler)(code);
                QCOMPARE(code, c.after);
            }
        }
    }

    void defaultButtonFollowsTheFocus_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("enterPresses");  // clicks of Calcular, Verificar, Fatorar, ?
        QTest::newRow("txtIni") << "txtIni"
                                << "cmdCalc"
                                << "1000";
        QTest::newRow("txtN") << "txtN"
                              << "cmdCalc"
                              << "1000";
        QTest::newRow("txtV") << "txtV"
                              << "cmdFatorar"
                              << "0010";
        QTest::newRow("txt") << "txt"
                             << ""
                             << "0000";
    }

    void defaultButtonFollowsTheFocus() {
        QFETCH(QString, box);
        QFETCH(QString, defaultButton);
        QFETCH(QString, enterPresses);
        // From every starting box, so that each row sets the flags it needs, not just some.
        for (const char* from : {"txtIni", "txtV", "txt"}) {
            control(from)->setFocus();
            QTest::mouseClick(control(box.toLatin1().constData()), Qt::LeftButton);
            QCOMPARE(focused(), box);
            QCOMPARE(defaults(), defaultButton);
            Clicks clicks(*this);
            press(Qt::Key_Return);
            press(Qt::Key_Enter, Qt::KeypadModifier);
            press(Qt::Key_Escape);
            QString twice = enterPresses;
            twice.replace(QChar('1'), QChar('2'));
            QCOMPARE(clicks.pressed(), twice);
        }
    }

    void enterRightAfterStartPressesCalcular() {
        Clicks clicks(*this);
        press(Qt::Key_Return);
        QCOMPARE(clicks.pressed(), QStringLiteral("1000"));
    }

    void focusedButtonTakesEnter() {
        // Clicking "Verificar" leaves the focus on it: Enter presses it again, while
        // "Fatorar" stays the default; back in txtV, Enter presses "Fatorar".
        control("txtV")->setFocus();
        Clicks clicks(*this);
        QTest::mouseClick(control("cmdV"), Qt::LeftButton);
        QCOMPARE(focused(), QStringLiteral("cmdV"));
        QCOMPARE(defaults(), QStringLiteral("cmdFatorar"));
        press(Qt::Key_Return);
        QCOMPARE(clicks.pressed(), QStringLiteral("0200"));
        press(Qt::Key_Space);
        QCOMPARE(clicks.pressed(), QStringLiteral("0300"));
        QTest::mouseClick(control("txtV"), Qt::LeftButton);
        press(Qt::Key_Return);
        QCOMPARE(clicks.pressed(), QStringLiteral("0310"));
        // Tab onto a button: that button takes Enter, the flags stay.
        control("txtIni")->setFocus();
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("cmdCalc"));
        QCOMPARE(defaults(), QStringLiteral("cmdCalc"));
        press(Qt::Key_Return);
        QCOMPARE(clicks.pressed(), QStringLiteral("1310"));
    }

    void tabOrder() {
        const QStringList order = {"txtIni", "txtN",       "cmdCalc", "txt",   "txtV",
                                   "cmdV",   "cmdFatorar", "cmdHelp", "txtIni"};
        QStringList forward{focused()};
        for (int i = 1; i < order.size(); ++i) {
            press(Qt::Key_Tab);
            forward << focused();
        }
        QCOMPARE(forward, order);
        QStringList backward{focused()};
        for (int i = 1; i < order.size(); ++i) {
            press(Qt::Key_Tab, Qt::ShiftModifier);
            backward << focused();
        }
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(backward, order);
    }

    void helpButtonMovesTheFocusToTxtIni() {
        control("txtV")->setFocus();
        QCOMPARE(defaults(), QStringLiteral("cmdFatorar"));
        QTest::mouseClick(control("cmdHelp"), Qt::LeftButton);
        QCOMPARE(focused(), QStringLiteral("txtIni"));
        QCOMPARE(defaults(), QStringLiteral("cmdCalc"));
    }

    void focusMovesRunTheRuleEvenInactive() {
        // A computation may move the focus while its message box holds the activation.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window->setFocus(TextBox::txtV);
        QCOMPARE(defaults(), QStringLiteral("cmdFatorar"));
        window->setFocus(TextBox::txt);
        QCOMPARE(defaults(), QString());
        window->setFocus(TextBox::txtN);
        QCOMPARE(defaults(), QStringLiteral("cmdCalc"));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(focused(), QStringLiteral("txtN"));
    }

    // What the screen reader is told after each click, with the focus left where it goes.
    void outcomesAnnounced_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QString>("focus");
        auto row = [](const char* tag, const char* button, const char* first, const char* last,
                      const char* spoken, const char* focus) {
            QTest::newRow(tag) << button << first << last << QString::fromUtf8(spoken) << focus;
        };
        row("listing", "cmdCalc", "10", "30", "Total de 6 números primos: 11, 13, 17, 19, 23, 29",
            "txtIni");
        row("none", "cmdCalc", "24", "28", "Não há números primos neste intervalo", "txtIni");
        row("long listing", "cmdCalc", "1", "100000",
            "Total de 9592 números primos: 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, "
            "47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97, 101, 103, 107, 109, 113, 127, 131, 137, "
            "139, 149, 151, 157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, "
            "229, 233, 239, 241, 251, 257, 263, 269, 271, 277",
            "txtIni");
        row("reversed", "cmdCalc", "30", "10", "", "txtIni");  // its message box speaks
        row("factors", "cmdFatorar", "", "360", "360: 2, 2, 2, 3, 3, 5", "txtV");
        row("prime", "cmdFatorar", "", "97", "97: 97", "txtV");
        row("two", "cmdFatorar", "", "2", "2: 2", "txtV");
        row("one", "cmdFatorar", "", "1", "", "txtV");
        row("overflow", "cmdFatorar", "", "4294967296", "", "txtV");
        row("verdict", "cmdV", "", "7", "", "txtV");  // its message box speaks
    }

    void outcomesAnnounced() {
        QFETCH(QString, button);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, spoken);
        QFETCH(QString, focus);
        MessageCatcher messages;
        const bool listing = button == QLatin1String("cmdCalc");
        control<QLineEdit>("txtIni")->setText(first);
        focusAndFill(listing ? "txtN" : "txtV", last);
        auto* announcer = window->findChild<tavix::ui::Announcer*>();
        QAccessibleInterface* notification =
            QAccessible::queryAccessibleInterface(announcer->findChild<QWidget*>());
        if (button == QLatin1String("cmdV")) {
            control<QPushButton>("cmdV")->click();
        } else {
            press(Qt::Key_Return);
        }
        QCOMPARE(announcer->count(), spoken.isEmpty() ? 0 : 1);
        QCOMPARE(notification->text(QAccessible::Name), spoken);
        QCOMPARE(notification->role(), QAccessible::Notification);
        QCOMPARE(focused(), focus);
        QVERIFY(announcer->size().isEmpty());
    }

    void windowContract() {
        window->setCaption(FactorColumn::lblNumFat, "360\r180\r1");
        window->setCaption(FactorColumn::lblFator, "2\r2");
        QCOMPARE(window->caption(FactorColumn::lblNumFat), "360\r180\r1");
        QCOMPARE(window->caption(FactorColumn::lblFator), "2\r2");
        QCOMPARE(control<QLabel>("lblNumFat")->text(), QStringLiteral("360\n180\n1"));
        QCOMPARE(control<QLabel>("lblFator")->text(), QStringLiteral("2\n2"));
        // The columns, as assistive technology reads them: a table of their rows.
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(control("tblFat"));
        QCOMPARE(table->role(), QAccessible::Table);
        QAccessibleTableInterface* cells = table->tableInterface();
        QCOMPARE(cells->rowCount(), 3);
        QCOMPARE(cells->columnDescription(0) + cells->columnDescription(1),
                 QStringLiteral("QuocientesFatores"));
        QStringList rows;
        for (int row = 0; row < 3; ++row) {
            const QRect left = cells->cellAt(row, 0)->rect();
            QCOMPARE(cells->cellAt(row, 1)->rect().top(), left.top());  // one line each
            rows << cells->cellAt(row, 0)->text(QAccessible::Name) + " " +
                        cells->cellAt(row, 1)->text(QAccessible::Name);
        }
        QCOMPARE(rows.join('|'), QStringLiteral("360 2|180 2|1 "));
        QCOMPARE(table->childCount(), 6);
        window->setRuleVisible(true);
        QVERIFY(control("lneFat")->isVisible());
        window->setRuleVisible(false);
        QVERIFY(!control("lneFat")->isVisible());
        const std::string accents = "Não há números primos neste intervalo";
        window->setText(TextBox::txt, accents);
        window->setText(TextBox::txtV, "7,5");
        QCOMPARE(window->text(TextBox::txt), accents);
        QCOMPARE(window->text(TextBox::txtV), "7,5");
        QTRY_COMPARE(shownText("txt"), QString::fromStdString(accents));
        window->setPointer(tavix::Pointer::Hourglass);
        window->setPointer(tavix::Pointer::Hourglass);
        QVERIFY(hourglassShown());
        window->setPointer(tavix::Pointer::Default);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void resultAreaIsReadOnlySelectableAndScrolls() {
        std::string many;
        for (int i = 0; i < 3000; ++i) {
            many += std::to_string(i) + ", ";
        }
        window->setText(TextBox::txt, many);
        auto* area = control<QAbstractScrollArea>("txt");
        area->setFocus();
        QTRY_VERIFY(area->verticalScrollBar()->maximum() > 0);
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        type(QStringLiteral("12"));
        press(Qt::Key_Backspace);
        press(Qt::Key_Delete);
        QCOMPARE(window->text(TextBox::txt), many);
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), many);
    }

    // The rest runs the real computations behind the buttons.

    void enterRunsTheListing() {
        focusAndFill("txtIni", QStringLiteral("10"));
        focusAndFill("txtN", QStringLiteral("30"));
        press(Qt::Key_Return);
        QCOMPARE(window->text(TextBox::txt), "Total de 6 números primos: 11, 13, 17, 19, 23, 29");
        QCOMPARE(focused(), QStringLiteral("txtIni"));
        QVERIFY(window->hourglassAtWrite.back());
        QCOMPARE(window->pointers,
                 (std::vector<tavix::Pointer>{tavix::Pointer::Hourglass, tavix::Pointer::Default}));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void enterRunsTheFactorization() {
        focusAndFill("txtV", QStringLiteral("360"));
        press(Qt::Key_Return);
        QCOMPARE(control<QLabel>("lblNumFat")->text(),
                 QStringLiteral("360\n180\n90\n45\n15\n5\n1"));
        QCOMPARE(control<QLabel>("lblFator")->text(), QStringLiteral("2\n2\n2\n3\n3\n5"));
        QCOMPARE(window->caption(FactorColumn::lblFator), "2\r2\r2\r3\r3\r5");
        QVERIFY(control("lneFat")->isVisible());
        QCOMPARE(focused(), QStringLiteral("txtV"));
        QVERIFY(window->hourglassAtWrite.back());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void messageBoxes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("txtIni");
        QTest::addColumn<QString>("txtN");
        QTest::addColumn<QString>("txtV");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("no interval")
            << "cmdCalc"
            << "10"
            << "5"
            << ""
            << "Intervalo inexistente. Verifique." << int(QMessageBox::Critical) << "crítico"
            << "txtIni";
        QTest::newRow("listing overflow")
            << "cmdCalc"
            << "2147483648"
            << "2147483650"
            << ""
            << "Valor acima da memória." << int(QMessageBox::Critical) << "crítico"
            << "txtIni";
        QTest::newRow("prime") << "cmdV"
                               << ""
                               << ""
                               << "97"
                               << "97 é um número primo" << int(QMessageBox::Information)
                               << "informação"
                               << "cmdV";
        QTest::newRow("printed from its value")
            << "cmdV"
            << ""
            << ""
            << "007"
            << "7 é um número primo" << int(QMessageBox::Information) << "informação"
            << "cmdV";
        QTest::newRow("composite")
            << "cmdV"
            << ""
            << ""
            << "360"
            << "360 não é um número primo" << int(QMessageBox::Warning) << "exclamação"
            << "cmdV";
        QTest::newRow("verdict overflow")
            << "cmdV"
            << ""
            << ""
            << "2147483648"
            << "Valor acima da memória." << int(QMessageBox::Critical) << "crítico"
            << "txtV";
        QTest::newRow("factor overflow")
            << "cmdFatorar"
            << ""
            << ""
            << "4294967296"
            << "Valor acima da memória." << int(QMessageBox::Critical) << "crítico"
            << "txtV";
    }

    void messageBoxes() {
        QFETCH(QString, button);
        QFETCH(QString, txtIni);
        QFETCH(QString, txtN);
        QFETCH(QString, txtV);
        QFETCH(QString, message);
        QFETCH(int, icon);
        QFETCH(QString, description);
        QFETCH(QString, focusAfter);
        control<QLineEdit>("txtIni")->setText(txtIni);
        control<QLineEdit>("txtN")->setText(txtN);
        control<QLineEdit>("txtV")->setText(txtV);
        MessageCatcher catcher;
        QTest::mouseClick(control(button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(catcher.seen.size(), std::size_t{1});
        const MessageCatcher::Seen& box = catcher.seen.front();
        QCOMPARE(box.title, QStringLiteral("Tavix"));
        QCOMPARE(box.text, message);
        QCOMPARE(int(box.icon), icon);
        QCOMPARE(box.accessibleDescription, description);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box.modal);
        QVERIFY2(!box.hourglass, "the default pointer comes back before any message");
        QCOMPARE(focused(), focusAfter);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void noIntervalNeverShowsTheHourglass() {
        focusAndFill("txtIni", QStringLiteral("10"));
        focusAndFill("txtN", QStringLiteral("5"));
        window->hourglassAtWrite.clear();
        window->pointers.clear();
        MessageCatcher catcher;
        press(Qt::Key_Return);
        QCOMPARE(catcher.seen.size(), std::size_t{1});
        QCOMPARE(catcher.seen.front().text, QStringLiteral("Intervalo inexistente. Verifique."));
        QVERIFY(!catcher.seen.front().hourglass);
        // Its one write, the result area emptied, and no pointer asked for at any time.
        QCOMPARE(window->hourglassAtWrite, std::vector<bool>{false});
        QVERIFY(window->pointers.empty());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(focused(), QStringLiteral("txtIni"));
    }

    // Closing the window ends the event loop, with another window of the program open or not.
    void closingEndsTheProgram_data() {
        QTest::addColumn<bool>("otherWindowOpen");
        QTest::newRow("alone") << false;
        QTest::newRow("about window open") << true;
    }

    void closingEndsTheProgram() {
        QFETCH(bool, otherWindowOpen);
        QWidget about;
        if (otherWindowOpen) {
            about.show();
        }
        QTimer::singleShot(0, window.get(), [this] { window->windowHandle()->close(); });
        QTimer hang;
        hang.callOnTimeout([] { QCoreApplication::exit(1); });
        hang.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
