// The result area's lines: word wrap, rewrap on resize, the scroll bar when needed, odd texts,
// the palette's colours; scrolling by lines, pages, scroll bar, wheel, Ctrl+End at any time.
#include <QScrollBar>
#include <QWheelEvent>

#include "result_view_fixture.hpp"

class ResultLinesTest : public QObject, ResultViewFixture {
    Q_OBJECT

  private slots:
    void cleanup() { view.reset(); }

    void wrapsLikeTheReference_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("prime list") << qs(listing(3000)) << 834;
        QTest::newRow("narrow") << qs(listing(600)) << 120;
        tavix::testing::addRow(
            "accents",
            "Total de 25 números primos: ú é ção à ü ñ 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37",
            140);
        QTest::newRow("word wider than the line")
            << QStringLiteral("1, 2, ") + QString(90, u'7') + QStringLiteral(", 8, ") +
                   QString(40, u'ú') + QStringLiteral(" 9")
            << 200;
        tavix::testing::addRow("runs of blanks", "ab     cd       ef  gh         ij", 60);
        QTest::newRow("blanks first") << QStringLiteral("      ") + QString(30, u'x') << 80;
        tavix::testing::addRow("four-byte characters", "𝟙𝟚𝟛 𝟜𝟝𝟞 𝟟𝟠𝟡 𝟙𝟚𝟛 𝟜𝟝𝟞 𝟟𝟠𝟡 𝟙𝟚𝟛", 70);
        QTest::newRow("empty") << QString() << 200;
    }

    void wrapsLikeTheReference() {
        QFETCH(QString, text);
        QFETCH(int, width);
        show(text.toStdString(), {width, 2000});
        const qreal room = qreal(view->lineWidth()) / tavix::ui::kWidthUnit;
        QFont layoutFont = view->font();
        layoutFont.setKerning(false);
        const QStringList expected = referenceWrap(text, layoutFont, room);

        QStringList lines;
        for (const LineSpan& line : view->visibleLines()) {
            lines << lineText(line);
        }
        QVERIFY(view->visibleLines().back().last);
        QCOMPARE(lines, expected);
    }

    void rewrapsOnResize() {
        show(listing(20000), {834, 2000});
        const std::int64_t wide = view->lineCount();
        view->resize(400, 2000);
        QTRY_VERIFY(view->isLayoutComplete());
        QVERIFY(view->lineCount() > 2 * wide);
        const QFontMetricsF metrics(view->font());
        const qreal room = qreal(view->lineWidth()) / tavix::ui::kWidthUnit;
        for (const LineSpan& line : view->visibleLines()) {
            QVERIFY(metrics.horizontalAdvance(lineText(line).trimmed()) <= room);
        }
        view->resize(834, 2000);
        QTRY_VERIFY(view->isLayoutComplete());
        QCOMPARE(view->lineCount(), wide);
    }

    void showsAScrollBarOnlyWhenNeeded() {
        show("2, 3, 5, 7");
        QVERIFY(!view->verticalScrollBar()->isVisible());
        view->setText(tavix::testing::listingText("0", "100000"));
        QVERIFY(view->verticalScrollBar()->isVisible());
        const qreal room = qreal(view->lineWidth()) / tavix::ui::kWidthUnit;
        QVERIFY(room < view->viewport()->width());
        view->clear();
        QVERIFY(!view->verticalScrollBar()->isVisible());
    }

    void oddTextsStillTileIntoLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("broken UTF-8")
            << QByteArray("2, 3, \xC3 5, \xE2\x82 7, \xFF\xFE 11, \xF0\x9F\x98 13") +
                   QByteArray(200, '\x80');
        QTest::newRow("a long run of blanks") << "a" + QByteArray(5000, ' ') + "b";
        QTest::newRow("tabs and controls") << QByteArray("2,\t3,\t\t5, \x01\x02 7\x7F, 11\t13");
    }

    void oddTextsStillTileIntoLines() {
        QFETCH(QByteArray, text);
        show(text.toStdString(), {120, 4000});
        std::size_t covered = 0;
        const std::vector<LineSpan> lines = view->visibleLines();
        for (const LineSpan& line : lines) {
            QCOMPARE(line.start, covered);
            QVERIFY(line.next > line.start || line.last);
            QVERIFY(line.next - line.start < 1000);
            covered = line.next;
        }
        QVERIFY(lines.back().last);
        QCOMPARE(covered, view->text().size());
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->selectionEnd(), view->text().size());
        view->viewport()->repaint();
    }

    // The text, the selection and the caret in the palette's colours, whatever they are.
    void paintsInThePaletteColours() {
        show(std::string(200, '8'), {300, 200});
        QPalette colors;
        colors.setColor(QPalette::Base, QColor(20, 20, 30));
        colors.setColor(QPalette::Text, QColor(240, 240, 240));
        colors.setColor(QPalette::Highlight, QColor(0, 90, 200));
        colors.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
        view->setPalette(colors);
        view->setSelection(0, view->visibleLines()[0].end);
        const QImage image = view->viewport()->grab().toImage();
        const auto countOf = [&](QColor wanted, int top, int bottom) {
            int count = 0;
            for (int y = top; y < bottom; ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    count += image.pixelColor(x, y) == wanted;
                }
            }
            return count;
        };
        // In device pixels, at any scale.
        const qreal ratio = image.devicePixelRatio();
        const int lineHeight = int(view->characterRect(0).height() * ratio);
        const int top = int(4 * ratio);
        const int firstLine = top + lineHeight;
        QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), QColor(20, 20, 30));
        QVERIFY(countOf(QColor(0, 90, 200), top, firstLine) > 0);
        QVERIFY(countOf(QColor(255, 255, 0), top, firstLine) > 0);
        QCOMPARE(countOf(QColor(240, 240, 240), top, firstLine), 0);
        QVERIFY(countOf(QColor(240, 240, 240), firstLine, firstLine + lineHeight) > 0);
        QCOMPARE(countOf(QColor(255, 255, 0), firstLine, firstLine + lineHeight), 0);
    }

    void ctrlEndShowsTheEnd_data() {
        QTest::addColumn<bool>("madeOnDemand");
        QTest::addColumn<bool>("layoutDone");
        QTest::newRow("in memory, layout complete") << false << true;
        QTest::newRow("in memory, layout under way") << false << false;
        QTest::newRow("made on demand, layout complete") << true << true;
        QTest::newRow("made on demand, layout under way") << true << false;
    }

    void ctrlEndShowsTheEnd() {
        QFETCH(bool, madeOnDemand);
        QFETCH(bool, layoutDone);
        show(madeOnDemand ? tavix::testing::listingText("0", "40000000")
                          : tavix::makePlainText(listing(20'000'000)));
        if (layoutDone) {
            waitForLayout();
        } else {
            view->setText(view->sharedText());  // starts over: Ctrl+End comes first
        }
        QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view->cursorPosition(), view->text().size());
        const auto endShown = [&] {
            const std::vector<LineSpan> lines = view->visibleLines();
            return int(lines.size()) >= rows() && lines[rows() - 1].last;
        };
        QVERIFY(endShown());
        waitForLayout();
        QVERIFY(endShown());
        QCOMPARE(topLine(), view->lineCount() - rows());
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        if (madeOnDemand) {
            QVERIFY(lineText(view->visibleLines()[rows() - 1]).endsWith(", 39999983"));
        }

        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(topLine(), std::int64_t{0});
        QCOMPARE(view->visibleLines().front().start, std::size_t{0});
    }

    void scrollsByLinesAndPages() {
        show(tavix::testing::listingText("0", "4000000"));
        waitForLayout();
        const std::vector<LineSpan> first = view->visibleLines();
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QCOMPARE(topLine(), std::int64_t(rows()));
        // the caret keeps its row: it went down a page too
        QVERIFY(view->visibleLines()[0].holds(view->cursorPosition()));
        // Up from the top row takes the view one line up
        QTest::keyClick(view.get(), Qt::Key_Up);
        QCOMPARE(topLine(), std::int64_t(rows() - 1));
        QCOMPARE(view->visibleLines()[0].start, first[rows() - 1].start);
        QVERIFY(view->visibleLines()[0].holds(view->cursorPosition()));
        for (int i = 0; i < rows() - 1; ++i) {
            QTest::keyClick(view.get(), Qt::Key_Down);
        }
        QCOMPARE(topLine(), std::int64_t(rows() - 1));
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(topLine(), std::int64_t(rows()));

        // the scroll bar and the wheel move the same lines
        view->verticalScrollBar()->setValue(12345);
        QCOMPARE(topLine(), std::int64_t{12345});
        const std::size_t top = view->visibleLines()[0].start;
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(view->visibleLines()[0].start, top);
        QCOMPARE(view->lineHolding(top).start, top);
    }

    void resizeKeepsTheTopText() {
        show(tavix::testing::listingText("0", "40000000"));
        waitForLayout();
        view->verticalScrollBar()->setValue(150000);
        const std::size_t top = view->visibleLines()[0].start + 5;
        view->resize(600, 465);
        QVERIFY(view->visibleLines()[0].holds(top));
        waitForLayout();
        QVERIFY(view->visibleLines()[0].holds(top));
        QVERIFY(topLine() > 150000);
        QCOMPARE(view->visibleLines()[0].start, view->lineHolding(top).start);
    }

    void wheelScrollsSomeLines() {
        show(listing(100000));
        QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(topLine(), std::int64_t(QApplication::wheelScrollLines()));
    }
};

QTEST_MAIN(ResultLinesTest)
#include "result_lines_test.moc"
