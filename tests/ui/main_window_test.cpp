// The main window as a user finds it: its controls and their places, the focus, the button
// Enter presses, and closing it.
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <map>

#include "main_window_fixture.hpp"
#include "support/recording_window.hpp"
#include "ui/result/result_view.hpp"

using tavix::TextBox;
using tavix::testing::addRow;
using tavix::testing::MessageCatcher;

class MainWindowTest : public QObject, public tavix::testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(open()); }
    void cleanup() { QVERIFY(close()); }

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

    // Each control as a user meets it: its text, what a screen reader calls it, and its font,
    // Arial, regular and upright, its text whole within it (in a number box, the largest
    // number the computations take).
    void controlsAsShown_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessibleName");
        addRow("cmdHelp", "?", "?");
        addRow("cmdFatorar", "Fatorar", "Fatorar");
        addRow("cmdV", "Verificar", "Verificar");
        addRow("cmdCalc", "Calcular", "Calcular");
        addRow("txtIni", "", "De:");
        addRow("txtN", "", "Até:");
        addRow("txtV", "", "Número");
        addRow("txt", "", "Resultado");
        addRow("lblFator", "", "");
        addRow("lblNumFat", "", "");
        addRow("lneFat", "", "Traço");
        addRow("lblDe", "De:", "De:");
        addRow("lblAte", "Até:", "Até:");
    }

    void controlsAsShown() {
        QFETCH(QString, caption);
        QFETCH(QString, accessibleName);
        QWidget* widget = control(QTest::currentDataTag());
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name),
                 accessibleName);
        QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
        QVERIFY(!widget->font().bold() && !widget->font().italic());
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(button->text(), caption);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->text(), caption);
        }
        const QString shown =
            qobject_cast<QLineEdit*>(widget) ? QStringLiteral("2147483647") : caption;
        const QRect ink = QFontMetrics(widget->font()).tightBoundingRect(shown);
        QVERIFY(ink.width() < widget->width() && ink.height() < widget->height());
    }

    // The rows a user reads: "De:", txtIni, "Até:", txtN, "Calcular" and "?" at the top; the
    // result area, then the factor columns with the rule on the left edge of the factors';
    // "Verificar", txtV and "Fatorar" at the bottom. Nothing moves when the window changes
    // size.
    void arrangement() {
        const QList<QStringList> rows = {
            {"lblDe", "txtIni", "lblAte", "txtN", "cmdCalc", "cmdHelp"},
            {"txt", "lblNumFat", "lneFat", "lblFator"},
            {"cmdV", "txtV", "cmdFatorar"}};
        auto at = [this](const QString& name) { return control(qPrintable(name))->geometry(); };
        std::map<QString, QRect> before;
        for (const QStringList& row : rows) {
            for (const QString& name : row) {
                before[name] = at(name);
                const QRect first = at(row.front());
                QVERIFY2(at(name).top() < first.bottom() && first.top() < at(name).bottom(),
                         qPrintable(name));
                QVERIFY2(name == row.front() ||
                             at(row[row.indexOf(name) - 1]).center().x() < at(name).center().x(),
                         qPrintable(name));
                QVERIFY(control(qPrintable(name))->focusPolicy() == Qt::NoFocus ||
                        window->rect().contains(at(name)));
            }
        }
        for (const QString& name : rows[0]) {
            QVERIFY(at(name).bottom() < at("txt").top());
        }
        for (const QString& name : rows[2]) {
            QVERIFY(at("txt").bottom() < at(name).top());
        }
        QCOMPARE(at("lblDe").left(), at("txt").left());
        QCOMPARE(at("cmdV").left(), at("txt").left());
        QCOMPARE(at("lneFat").left(), at("lblFator").left());
        QCOMPARE(at("lneFat").top(), at("lblFator").top());
        window->resize(500, 300);
        window->showMaximized();
        for (const auto& [name, place] : before) {
            QCOMPARE(at(name), place);
        }
    }

    void labelAlignment() {
        QVERIFY(control<QLabel>("lblDe")->alignment() & Qt::AlignLeft);
        QVERIFY(control<QLabel>("lblAte")->alignment() & Qt::AlignRight);
        QVERIFY(control<QLabel>("lblFator")->alignment() & Qt::AlignHCenter);
        QVERIFY(control<QLabel>("lblNumFat")->alignment() & Qt::AlignHCenter);
    }

    void defaultButtonFollowsTheFocus_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("enterPresses");  // clicks of Calcular, Verificar, Fatorar, ?
        addRow("txtIni", "txtIni", "cmdCalc", "1000");
        addRow("txtN", "txtN", "cmdCalc", "1000");
        addRow("txtV", "txtV", "cmdFatorar", "0010");
        addRow("txt", "txt", "", "0000");
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

    // What the result area has to tell comes up in the window's own box: a copy over the limit
    // (Ctrl+A, Ctrl+C) over the area, a failed save over the window; then the area has the
    // focus again.
    void resultAreaMessages_data() {
        QTest::addColumn<bool>("copy");  // else a save failure, as the save tells it
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        addRow("copy refused", true,
               "A seleção (0 MB) é grande demais para copiar; o limite é de 0 MB. Selecione um "
               "trecho menor, ou use \u201CSalvar como\u2026\u201D (Ctrl+S) para gravar o "
               "resultado em um arquivo.",
               int(QMessageBox::Warning));
        addRow(
            "save failed", false,
            "Não foi possível salvar o arquivo \u201C/nada/primos.txt\u201D: a pasta não existe.",
            int(QMessageBox::Critical));
    }

    void resultAreaMessages() {
        QFETCH(bool, copy);
        QFETCH(QString, message);
        QFETCH(int, icon);
        auto* txt = control<tavix::ui::ResultView>("txt");
        window->setResultText(tavix::testing::listingText("0", "100000"));
        txt->setCopyLimit(1000);
        txt->setFocus();
        MessageCatcher catcher;
        if (copy) {
            press(Qt::Key_A, Qt::ControlModifier);
            press(Qt::Key_C, Qt::ControlModifier);
        } else {
            emit txt->message(message, tavix::ui::ResultMessageKind::Failure);
        }
        QCOMPARE(catcher.seen.size(), std::size_t{1});
        const MessageCatcher::Seen& box = catcher.seen.front();
        QCOMPARE(box.title + " | " + box.text, "Tavix | " + message);
        QCOMPARE(int(box.icon), icon);
        QCOMPARE(box.parent, copy ? static_cast<QWidget*>(txt) : window.get());
        QCOMPARE(focused(), QStringLiteral("txt"));
    }

    // Closing the window ends the event loop, with another window of the program open or not.
    void closingEndsTheProgram_data() {
        QTest::addColumn<bool>("otherWindowOpen");
        addRow("alone", false);
        addRow("about window open", true);
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
