// The three number boxes of the main window: what typing, input methods, pastes and drops
// leave in them.
#include <QClipboard>
#include <QMimeData>
#include <QtTest>

#include "main_window_fixture.hpp"

using tavix::TextBox;
using tavix::testing::addRow;
using tavix::testing::MessageCatcher;

class MainWindowTypingTest : public QObject, public tavix::testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(open()); }
    void cleanup() { QVERIFY(close()); }

    void digitFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        addRow("letter", "12a3", "123");
        addRow("sign", "-5", "5");
        addRow("full stop", "1.5", "15");
        addRow("comma", "1,5", "15");
        addRow("blanks", " 7 8 ", "78");
        addRow("plus, exponent", "+1E5", "15");
        addRow("accent, symbols", "é2$%&3", "23");
        addRow("all digits", "0123456789", "0123456789");
        addRow("next to the digits", "/0:9", "09");
        addRow("other scripts' digits", "١٢٣4", "4");
        addRow("beyond 15 bits", "\u8000\uffff5", "5");
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
        addRow("dead tilde, a", "ã", "5");
        addRow("dead acute, e", "é", "5");
        addRow("dead tilde, space", "~", "5");
        addRow("compose c, comma", "ç", "5");
        addRow("a digit", "7", "57");
        addRow("digits among others", "1ã2~3 4,5", "512345");
        addRow("other scripts' digits", "٣३", "5");
        addRow("beyond 16 bits", "8😀9", "589");
        addRow("backspace", "\b", "");
        addRow("digits, backspace", "12\b", "51");
        addRow("backspace, digit", "\b6", "6");
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
                const QString where =
                    QStringLiteral("%1 %2 %3").arg(c.box, c.button, pasted->left(8));
                QVERIFY2(catcher.seen.size() == std::size_t(overflow ? 1 : 0), qPrintable(where));
                QVERIFY(!overflow || catcher.seen[0].text == "Valor acima da memória.");
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
};

QTEST_MAIN(MainWindowTypingTest)
#include "main_window_typing_test.moc"
