// Selecting and copying in the result area with the keys and the mouse, the copy limit,
// the context menu, and a read-only box that leaves typing and Tab to the window.
#include <QLineEdit>
#include <QSignalSpy>

#include "result_view_fixture.hpp"

class ResultSelectionTest : public QObject, ResultViewFixture {
    Q_OBJECT

  private slots:
    void cleanup() { view.reset(); }

    void lineAndWordKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expectedBefore");  // the text before the caret; "*": the
                                                      // first line without its trailing blank
        QTest::newRow("End") << int(Qt::Key_End) << 0 << "*";
        QTest::newRow("Home") << int(Qt::Key_Home) << 0 << "";
        QTest::newRow("Ctrl+Right")
            << int(Qt::Key_Right) << int(Qt::ControlModifier) << "Total de ";
        QTest::newRow("Ctrl+Left") << int(Qt::Key_Left) << int(Qt::ControlModifier) << "Total ";
    }

    void lineAndWordKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expectedBefore);
        const std::string text = "Total de 9 números primos: 2, 3, 5, 7, 11, 13, 17, 19, 23";
        show(text, {330, 200});
        QVERIFY(view->visibleLines().size() > 1);
        if (expectedBefore == u'*') {
            expectedBefore = lineText(view->visibleLines()[0]).chopped(1);
        }
        view->setCursorPosition(7);  // in "de"
        QTest::keyClick(view.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(qs(std::string_view(text).substr(0, view->cursorPosition())), expectedBefore);
    }

    void tabLeavesTheView() {
        QWidget window;
        auto* result = new ResultView(&window);
        auto* next = new QLineEdit(&window);
        next->move(0, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        result->setText(listing(1000));
        result->setFocus();
        QTest::keyClick(result, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
        QCOMPARE(result->text().toString(), listing(1000));
    }

    void keysSelectAndCopyExactBytes() {
        show(tavix::testing::listingText("0", "40000000"));
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
        const std::size_t from = view->cursorPosition();
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        }
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
        }
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(view->anchorPosition(), from);
        QVERIFY(view->cursorPosition() > from + 40 * 60);
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), qs(view->text().slice(from, view->cursorPosition())));
        QVERIFY(view->visibleLines()[rows() - 1].holds(view->cursorPosition()));

        // a plain arrow drops the selection at its end
        QTest::keyClick(view.get(), Qt::Key_Right);
        QVERIFY(!view->hasSelection());
    }

    // Select all and copy: the clipboard is handed the whole text, which is made only when
    // it is pasted.
    void selectAllCopiesTheWholeResult_data() {
        QTest::addColumn<bool>("madeOnDemand");
        QTest::newRow("in memory") << false;
        QTest::newRow("made on demand") << true;
    }

    void selectAllCopiesTheWholeResult() {
        QFETCH(bool, madeOnDemand);
        show(madeOnDemand ? tavix::testing::listingText("0", "30000000")
                          : tavix::makePlainText(listing(20'000'000)));
        QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view->selectionStart(), std::size_t{0});
        QCOMPARE(view->selectionEnd(), view->text().size());
        QCOMPARE(topLine(), std::int64_t{0});
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(clipboardText() == qs(view->text().toString()));
    }

    void theCopyOutlivesTheResult() {
        for (const ResultTextPtr& text :
             {tavix::makePlainText(listing(5000)), tavix::testing::listingText("1000", "5000")}) {
            show(text);
            view->setSelection(9, 13);
            view->copy();
            view->setText("Não há números primos neste intervalo");
            QCOMPARE(clipboardText(), qs(text->slice(9, 13)));
        }
    }

    // A selection over the limit is refused with a warning for the window to show, which
    // points to "Salvar como…", and the clipboard keeps what it had.
    void aSelectionOverTheLimitIsNotCopied() {
        show(tavix::testing::listingText("0", "100000"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        view->setCopyLimit(1000);
        view->setSelection(0, 1001);
        QSignalSpy told(view.get(), &ResultView::message);
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0][0].toString().contains(QStringLiteral("grande demais")));
        QVERIFY(told[0][0].toString().contains(QStringLiteral("\u201CSalvar como\u2026\u201D")));
        QCOMPARE(told[0][1].value<tavix::ui::ResultMessageKind>(),
                 tavix::ui::ResultMessageKind::Warning);
        QCOMPARE(clipboardText(), QStringLiteral("before"));
        view->setSelection(0, 1000);
        view->copy();
        QCOMPARE(clipboardText(), shown(0, 1000));
    }

    void mouseSelects() {
        show(tavix::testing::listingText("0", "40000000"));
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        const std::vector<LineSpan> lines = view->visibleLines();
        const std::size_t from = lines[2].start + 7;
        const std::size_t to = lines[9].start + 3;
        dragMouse(view->viewport(), pointOf(from), pointOf(to));
        QCOMPARE(view->selectionStart(), from);
        QCOMPARE(view->selectionEnd(), to);

        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          pointOf(lines[12].start));
        QCOMPARE(view->selectionStart(), from);
        QCOMPARE(view->selectionEnd(), lines[12].start);
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), shown(from, lines[12].start));

        // a double click takes one number
        const QString line = lineText(lines[4]);
        const qsizetype comma = line.indexOf(u',', 2);
        const qsizetype number = line.indexOf(u' ', comma) + 1;
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           pointOf(lines[4].start + std::size_t(number) + 1));
        QCOMPARE(qs(view->selectedText()), line.mid(number, line.indexOf(u',', number) - number));
    }

    // Under the pointer at any point of a character, at any scale: the caret goes to the
    // nearer side of the character.
    void hitTestingAtFractionalPoints() {
        show(tavix::testing::listingText("0", "100000"));
        const LineSpan line = view->visibleLines()[3];
        for (std::size_t pos = line.start; pos + 1 < line.end; ++pos) {
            const QRectF box = view->characterRect(pos);
            QVERIFY(box.isValid());
            QCOMPARE(view->positionAt({box.left() + box.width() * 0.3, box.center().y()}), pos);
            QCOMPARE(view->positionAt({box.left() + box.width() * 0.7, box.center().y()}), pos + 1);
        }
        // A click as the pointer gives it, between pixels at a fractional scale.
        const QRectF box = view->characterRect(line.start + 5);
        for (const qreal part : {0.3, 0.7}) {
            const QPointF at(box.left() + box.width() * part, box.center().y());
            sendMouse(view->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton,
                      Qt::LeftButton);
            sendMouse(view->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, {});
            QCOMPARE(view->cursorPosition(), line.start + 5 + (part > 0.5 ? 1 : 0));
        }
    }

    void dragBelowTheViewScrolls() {
        show(listing(100000));
        const QPoint start = pointOf(view->visibleLines()[0].start);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
        sendMouse(view->viewport(), QEvent::MouseMove, QPointF(10, view->viewport()->height() + 20),
                  Qt::NoButton, Qt::LeftButton);
        QTRY_VERIFY(topLine() >= 3);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, start);
        QVERIFY(view->selectionEnd() > view->visibleLines()[rows() - 2].start);
    }

    void contextMenu() {
        show(tavix::testing::listingText("0", "3000"));
        std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
        QCOMPARE(actionTexts(*menu),
                 (QStringList{"Copiar (disabled)", "Selecionar tudo", "Salvar como\u2026"}));
        QCOMPARE(menu->actions().last()->shortcut(), QKeySequence(QKeySequence::Save));
        menu->actions()[2]->trigger();  // "Selecionar tudo"
        QCOMPARE(view->selectionEnd(), view->text().size());
        menu.reset(view->createContextMenu(nullptr));
        QVERIFY(menu->actions()[0]->isEnabled());
        menu->actions()[0]->trigger();
        QCOMPARE(clipboardText(), qs(view->text().toString()));

        view->clear();
        menu.reset(view->createContextMenu(nullptr));
        QCOMPARE(actionTexts(*menu), (QStringList{"Copiar (disabled)", "Selecionar tudo (disabled)",
                                                  "Salvar como\u2026 (disabled)"}));
    }

    void typingChangesNothing() {
        const std::string text = listing(3000);
        show(text);
        QTest::keyClicks(view.get(), QStringLiteral("12a, b"));
        for (const Qt::Key key :
             {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Space}) {
            QTest::keyClick(view.get(), key);
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(view.get(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(view->text().toString(), text);
    }

    void reportsFocus() {
        show(listing(100));
        view->clearFocus();
        QSignalSpy focused(view.get(), &ResultView::focused);
        view->setFocus();
        QCOMPARE(focused.count(), 1);
    }
};

QTEST_MAIN(ResultSelectionTest)
#include "result_selection_test.moc"
