// The main window running the computations behind its buttons: what it shows, says and
// asks, the pointer meanwhile, and where the focus is left.
#include <QAbstractScrollArea>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "main_window_fixture.hpp"
#include "ui/screen_reader.hpp"

using tavix::FactorColumn;
using tavix::TextBox;
using tavix::testing::addRow;
using tavix::testing::hourglassShown;
using tavix::testing::MessageCatcher;

class MainWindowComputationsTest : public QObject, public tavix::testing::MainWindowFixture {
    Q_OBJECT

    // What assistive technology reads from a text control.
    QString shownText(const char* name) const {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control(name));
        QAccessibleTextInterface* text = accessible ? accessible->textInterface() : nullptr;
        return text ? text->text(0, text->characterCount()) : QString();
    }

  private slots:
    void init() { QVERIFY(open()); }
    void cleanup() { QVERIFY(close()); }

    // What the screen reader is told after each click, with the focus left where it goes.
    void outcomesAnnounced_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QString>("focus");
        addRow("listing", "cmdCalc", "10", "30",
               "Total de 6 números primos: 11, 13, 17, 19, 23, 29", "txtIni");
        addRow("none", "cmdCalc", "24", "28", "Não há números primos neste intervalo", "txtIni");
        addRow(
            "long listing", "cmdCalc", "1", "100000",
            "Total de 9592 números primos: 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, "
            "47, 53, 59, 61, 67, 71, 73, 79, 83, 89, 97, 101, 103, 107, 109, 113, 127, 131, 137, "
            "139, 149, 151, 157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, "
            "229, 233, 239, 241, 251, 257, 263, 269, 271, 277",
            "txtIni");
        addRow("reversed", "cmdCalc", "30", "10", "", "txtIni");  // its message box speaks
        addRow("factors", "cmdFatorar", "", "360", "360: 2, 2, 2, 3, 3, 5", "txtV");
        addRow("prime", "cmdFatorar", "", "97", "97: 97", "txtV");
        addRow("two", "cmdFatorar", "", "2", "2: 2", "txtV");
        addRow("one", "cmdFatorar", "", "1", "", "txtV");
        addRow("overflow", "cmdFatorar", "", "4294967296", "", "txtV");
        addRow("verdict", "cmdV", "", "7", "", "txtV");  // its message box speaks
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
        const int critical = QMessageBox::Critical;
        const char* const memory = "Valor acima da memória.";
        addRow("no interval", "cmdCalc", "10", "5", "", "Intervalo inexistente. Verifique.",
               critical, "crítico", "txtIni");
        addRow("listing overflow", "cmdCalc", "2147483648", "2147483650", "", memory, critical,
               "crítico", "txtIni");
        addRow("prime", "cmdV", "", "", "97", "97 é um número primo", int(QMessageBox::Information),
               "informação", "cmdV");
        addRow("printed from its value", "cmdV", "", "", "007", "7 é um número primo",
               int(QMessageBox::Information), "informação", "cmdV");
        addRow("composite", "cmdV", "", "", "360", "360 não é um número primo",
               int(QMessageBox::Warning), "exclamação", "cmdV");
        addRow("verdict overflow", "cmdV", "", "", "2147483648", memory, critical, "crítico",
               "txtV");
        addRow("factor overflow", "cmdFatorar", "", "", "4294967296", memory, critical, "crítico",
               "txtV");
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
};

QTEST_MAIN(MainWindowComputationsTest)
#include "main_window_computations_test.moc"
