// The result area's accessible text: a short result, the whole range made on demand, and a
// huge text in memory.
#include "result_view_fixture.hpp"

class ResultAccessibleTest : public QObject, ResultViewFixture {
    Q_OBJECT

  private slots:
    void cleanup() { view.reset(); }

    void accessibleTextOfASmallResult() {
        const std::string text = listing(3000);
        show(text);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(accessible->state().readOnly && accessible->state().multiLine);
        QCOMPARE(accessible->text(QAccessible::Value), qs(text));

        QAccessibleTextInterface* textInterface = accessible->textInterface();
        QVERIFY(textInterface);
        const QString whole = qs(text);
        QCOMPARE(textInterface->characterCount(), int(whole.size()));
        QCOMPARE(textInterface->text(9, 30), whole.mid(9, 21));  // across the "ú"

        int start = 0, end = 0;
        const int inNumber = int(whole.indexOf(QStringLiteral("primos")) + 2);
        QCOMPARE(textInterface->textAtOffset(inNumber, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral("primos"));
        QCOMPARE(textInterface->textAtOffset(3, QAccessible::CharBoundary, &start, &end),
                 QStringLiteral("a"));
        const LineSpan second = view->visibleLines()[1];
        const QString secondLine = lineText(second);
        QCOMPARE(textInterface->textAtOffset(int(whole.indexOf(secondLine)) + 1,
                                             QAccessible::LineBoundary, &start, &end),
                 secondLine);
        QCOMPARE(start, int(whole.indexOf(secondLine)));
        QCOMPARE(textInterface->textAfterOffset(0, QAccessible::LineBoundary, &start, &end),
                 secondLine);
        QCOMPARE(textInterface->textBeforeOffset(end, QAccessible::LineBoundary, &start, &end),
                 secondLine);

        textInterface->setSelection(0, 9, 15);
        QCOMPARE(qs(view->selectedText()), whole.mid(9, 6));
        textInterface->selection(0, &start, &end);
        QCOMPARE(start, 9);
        QCOMPARE(end, 15);
        QCOMPARE(textInterface->cursorPosition(), 15);
        textInterface->setCursorPosition(20);
        QCOMPARE(qs(std::string_view(text).substr(0, view->cursorPosition())), whole.left(20));
        QCOMPARE(textInterface->selectionCount(), 0);
        QVERIFY(textInterface->characterRect(20).isValid());
        QCOMPARE(textInterface->textAfterOffset(1, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral(" "));
        QCOMPARE(start, 5);
        QCOMPARE(textInterface->textBeforeOffset(12, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral("370"));  // "Total de 370 números"
        QCOMPARE(start, 9);
        QCOMPARE(textInterface->textBeforeOffset(15, QAccessible::CharBoundary, &start, &end),
                 QStringLiteral("ú"));
        QCOMPARE(start, 14);
        QCOMPARE(textInterface->offsetAtPoint(
                     view->viewport()->mapToGlobal(pointOf(view->visibleLines()[2].start + 1))),
                 int(whole.indexOf(lineText(view->visibleLines()[2]))) + 1);
    }

    // The whole range, 1.2 GB never made whole: read through the accessible text anywhere,
    // the caret sent far into it, a range handed out in pieces no larger than the limit.
    void accessibleTextOfTheWholeRange() {
        show(tavix::testing::listingText("0", "2147483647"));
        QAccessibleTextInterface* textInterface = accessibleText();
        QCOMPARE(textInterface->characterCount(), 1203807729);  // one "ú" in 1,203,807,730 bytes
        QVERIFY(
            QAccessible::queryAccessibleInterface(view.get())->text(QAccessible::Value).isEmpty());
        QCOMPARE(textInterface->text(0, 45),
                 QStringLiteral("Total de 105097565 números primos: 2, 3, 5, 7"));

        // Forty characters at the 600,000,000th: whole primes in between, each the next one.
        const QString far = textInterface->text(600'000'000, 600'000'040);
        QCOMPARE(far.size(), 40);
        const QStringList items = far.split(QStringLiteral(", "));
        QVERIFY(items.size() >= 4);
        qint64 before = 0;
        for (qsizetype i = 1; i + 1 < items.size(); ++i) {
            bool whole = false;
            const qint64 n = items[i].toLongLong(&whole);
            QVERIFY(whole);
            for (qint64 d = 2; d * d <= n; ++d) {
                QVERIFY2(n % d != 0, qPrintable(items[i]));
            }
            QVERIFY(n > before);
            before = n;
        }
        QCOMPARE(textInterface->text(600'000'010, 600'000'020), far.mid(10, 10));

        int start = 0, end = 0;
        const QString word =
            textInterface->textAtOffset(900'000'001, QAccessible::WordBoundary, &start, &end);
        QCOMPARE(word.size(), 10);
        QCOMPARE(textInterface->text(start, end), word);
        QCOMPARE(
            textInterface->textAtOffset(5, QAccessible::ParagraphBoundary, &start, &end).size(),
            tavix::ui::ResultViewAccessible::kTextLimit);

        textInterface->setCursorPosition(1'000'000'000);
        QCOMPARE(textInterface->cursorPosition(), 1'000'000'000);
        QVERIFY(view->visibleLines()[0].start <= view->cursorPosition());
        QVERIFY(view->visibleLines().back().next > view->cursorPosition());
        const int last = textInterface->characterCount();
        QCOMPARE(textInterface->textAtOffset(last - 1, QAccessible::LineBoundary, &start, &end)
                     .endsWith(QStringLiteral(", 2147483647")),
                 true);
        QCOMPARE(end, last);
    }

    void accessibleRangesOfAHugeTextInMemory() {
        show(listing(20'000'000));
        QAccessibleTextInterface* textInterface = accessibleText();
        QCOMPARE(textInterface->characterCount(), int(view->text().size()) - 1);  // one "ú"
        QVERIFY(
            QAccessible::queryAccessibleInterface(view.get())->text(QAccessible::Value).isEmpty());
        QCOMPARE(textInterface->text(0, -1).size(), tavix::ui::ResultViewAccessible::kTextLimit);
        const int near = textInterface->characterCount() - 30;
        QCOMPARE(textInterface->text(near, near + 20),
                 shown(std::size_t(near) + 1, std::size_t(near) + 21));
        int start = 0, end = 0;
        textInterface->textAtOffset(near, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(end, textInterface->characterCount());
        textInterface->setCursorPosition(near);
        QCOMPARE(view->cursorPosition(), std::size_t(near) + 1);
        QVERIFY(view->visibleLines().back().holds(view->cursorPosition()) ||
                view->visibleLines()[rows() - 1].holds(view->cursorPosition()));
    }
};

QTEST_MAIN(ResultAccessibleTest)
#include "result_accessible_test.moc"
