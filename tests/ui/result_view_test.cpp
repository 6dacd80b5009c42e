// The result area: wrapping, scrolling, selection and copy, read-only behaviour, colours and
// the accessible text, with short results, 20 MB texts kept in memory, and listings made on
// demand up to the whole range.
#include "ui/result/result_view.hpp"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <string>
#include <vector>

#include "core/computations.hpp"
#include "support/qt_helpers.hpp"
#include "support/recording_window.hpp"
#include "ui/result/accessible.hpp"
#include "ui/result/result_view_test_access.hpp"

using tavix::ResultTextPtr;
using tavix::ui::LineSpan;
using tavix::ui::ResultView;
using tavix::ui::ResultViewTestAccess;

namespace {

QFont resultFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    return font;
}

// "Total de N números primos: " and N numbers of one to ten digits, `bytes` long or a little more.
std::string listing(std::size_t bytes) {
    std::string list;
    list.reserve(bytes + 16);
    std::uint64_t count = 0;
    for (std::uint64_t n = 2; list.size() < bytes; n = n * 3 / 2 + 1 + count % 7) {
        if (n > 2147483647) {
            n = 2 + count % 1000;
        }
        if (count++ > 0) {
            list += ", ";
        }
        list += std::to_string(n);
    }
    return "Total de " + std::to_string(count) + " números primos: " + list;
}

QString qs(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Greedy word wrap, written from the definition with Qt's own string measure: each line is
// the longest run of whole words (blanks hanging at its end) whose width fits; a word wider
// than the line alone is cut after as many characters as fit (at least one).
QStringList referenceWrap(const QString& text, const QFont& font, qreal width) {
    const QFontMetricsF metrics(font);
    const auto fits = [&](const QString& piece) {
        QString trimmed = piece;
        while (trimmed.endsWith(u' ')) {
            trimmed.chop(1);
        }
        return metrics.horizontalAdvance(trimmed) <= width;
    };
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const QString rest = text.mid(start);
        if (fits(rest)) {
            lines << rest;
            return lines;
        }
        qsizetype best = -1;
        for (qsizetype i = 1; i < rest.size(); ++i) {
            if (rest[i - 1] == u' ' && rest[i] != u' ') {
                if (!fits(rest.left(i))) {
                    break;
                }
                best = i;
            }
        }
        if (best < 0) {
            best = 1;
            while (best < rest.size() && fits(rest.left(best + 1)) && rest[best] != u' ') {
                ++best;
            }
        }
        lines << rest.left(best);
        start += best;
    }
}

void dragMouse(QWidget* viewport, QPoint from, QPoint to) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

QStringList actionTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text() + (action->isEnabled() ? "" : " (disabled)");
        }
    }
    return texts;
}

}  // namespace

class ResultViewTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ResultView> view;

    void show(ResultTextPtr text, QSize size = {834, 465}) {
        view = std::make_unique<ResultView>();
        view->setFont(resultFont());
        view->resize(size);
        view->setText(std::move(text));
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->setFocus();
    }
    void show(std::string text, QSize size = {834, 465}) {
        show(tavix::makePlainText(std::move(text)), size);
    }

    int rows() const { return view->fullyVisibleRows(); }
    // A point over the first part of the character at `pos`: a click there puts the caret
    // before it.
    QPoint pointOf(std::size_t pos) const {
        const QRectF box = view->characterRect(pos);
        return QPointF(box.left() + box.width() / 4, box.center().y()).toPoint();
    }
    QString lineText(const LineSpan& line) const { return qs(view->lineText(line)); }
    QString shown(std::size_t begin, std::size_t end) const { return qs(view->bytes(begin, end)); }

  private slots:
    void cleanup() { view.reset(); }

    void wrapsLikeTheReference_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("prime list") << qs(listing(3000)) << 834;
        QTest::newRow("narrow") << qs(listing(600)) << 120;
        QTest::newRow("accents") << QStringLiteral(
                                        "Total de 25 números primos: ú é ção à ü ñ "
                                        "2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37")
                                 << 140;
        QTest::newRow("word wider than the line")
            << QStringLiteral("1, 2, ") + QString(90, u'7') + QStringLiteral(", 8, ") +
                   QString(40, u'ú') + QStringLiteral(" 9")
            << 200;
        QTest::newRow("runs of blanks")
            << QStringLiteral("ab     cd       ef  gh         ij") << 60;
        QTest::newRow("blanks first") << QStringLiteral("      ") + QString(30, u'x') << 80;
        QTest::newRow("four-byte characters")
            << QString::fromUcs4(U"𝟙𝟚𝟛 𝟜𝟝𝟞 𝟟𝟠𝟡 𝟙𝟚𝟛 𝟜𝟝𝟞 𝟟𝟠𝟡 𝟙𝟚𝟛") << 70;
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

    void ctrlEndShowsTheEnd_data() {
        QTest::addColumn<bool>("madeOnDemand");
        QTest::addColumn<bool>("waitForLayout");
        QTest::newRow("in memory, layout complete") << false << true;
        QTest::newRow("in memory, layout under way") << false << false;
        QTest::newRow("made on demand, layout complete") << true << true;
        QTest::newRow("made on demand, layout under way") << true << false;
    }

    void ctrlEndShowsTheEnd() {
        QFETCH(bool, madeOnDemand);
        QFETCH(bool, waitForLayout);
        show(madeOnDemand ? tavix::testing::listingText("0", "40000000")
                          : tavix::makePlainText(listing(20'000'000)));
        if (waitForLayout) {
            ResultViewTestAccess::waitForLayout(*view);
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
        ResultViewTestAccess::waitForLayout(*view);
        QVERIFY(endShown());
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), view->lineCount() - rows());
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        if (madeOnDemand) {
            QVERIFY(lineText(view->visibleLines()[rows() - 1]).endsWith(", 39999983"));
        }

        QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t{0});
        QCOMPARE(view->visibleLines().front().start, std::size_t{0});
    }

    void scrollsByLinesAndPages() {
        show(tavix::testing::listingText("0", "4000000"));
        ResultViewTestAccess::waitForLayout(*view);
        const std::vector<LineSpan> first = view->visibleLines();
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t(rows()));
        // the caret keeps its row: it went down a page too
        QVERIFY(view->visibleLines()[0].holds(view->cursorPosition()));
        // Up from the top row takes the view one line up
        QTest::keyClick(view.get(), Qt::Key_Up);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t(rows() - 1));
        QCOMPARE(view->visibleLines()[0].start, first[rows() - 1].start);
        QVERIFY(view->visibleLines()[0].holds(view->cursorPosition()));
        for (int i = 0; i < rows() - 1; ++i) {
            QTest::keyClick(view.get(), Qt::Key_Down);
        }
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t(rows() - 1));
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t(rows()));

        // the scroll bar and the wheel move the same lines
        view->verticalScrollBar()->setValue(12345);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t{12345});
        const std::size_t top = view->visibleLines()[0].start;
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(view->visibleLines()[0].start, top);
        QCOMPARE(view->lineHolding(top).start, top);
    }

    void resizeKeepsTheTopText() {
        show(tavix::testing::listingText("0", "40000000"));
        ResultViewTestAccess::waitForLayout(*view);
        view->verticalScrollBar()->setValue(150000);
        const std::size_t top = view->visibleLines()[0].start + 5;
        view->resize(600, 465);
        QVERIFY(view->visibleLines()[0].holds(top));
        ResultViewTestAccess::waitForLayout(*view);
        QVERIFY(view->visibleLines()[0].holds(top));
        QVERIFY(ResultViewTestAccess::firstVisibleLine(*view) > 150000);
        QCOMPARE(view->visibleLines()[0].start, view->lineHolding(top).start);
    }

    void wheelScrollsSomeLines() {
        show(listing(100000));
        QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view),
                 std::int64_t(QApplication::wheelScrollLines()));
    }

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
        QCOMPARE(ResultViewTestAccess::firstVisibleLine(*view), std::int64_t{0});
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

    // A selection over the limit is refused in a message box of the program's own, which
    // points to "Salvar como…", and the clipboard keeps what it had.
    void aSelectionOverTheLimitIsNotCopied() {
        show(tavix::testing::listingText("0", "100000"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        view->setCopyLimit(1000);
        view->setSelection(0, 1001);
        QStringList seen;
        tavix::testing::MessageBoxAnswerer answerer([&seen](QMessageBox& box) {
            seen << box.windowTitle() << box.text() << QString::number(int(box.icon()))
                 << box.accessibleDescription();
        });
        QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[0], QStringLiteral("Tavix"));
        QVERIFY(seen[1].contains(QStringLiteral("grande demais")));
        QVERIFY(seen[1].contains(QStringLiteral("\u201CSalvar como\u2026\u201D")));
        QCOMPARE(seen[2], QString::number(int(QMessageBox::Warning)));
        QCOMPARE(seen[3], QStringLiteral("exclamação"));
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
            const qreal y = box.center().y();
            QCOMPARE(view->positionAt({box.left() + box.width() * 0.3, y}), pos);
            QCOMPARE(view->positionAt({box.left() + box.width() * 0.7, y}), pos + 1);
        }
        // A click as the pointer gives it, between pixels at a fractional scale.
        const QRectF box = view->characterRect(line.start + 5);
        for (const qreal part : {0.3, 0.7}) {
            const QPointF at(box.left() + box.width() * part, box.center().y());
            QMouseEvent press(QEvent::MouseButtonPress, at, view->viewport()->mapToGlobal(at),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &press);
            QMouseEvent release(QEvent::MouseButtonRelease, at, view->viewport()->mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &release);
            QCOMPARE(view->cursorPosition(), line.start + 5 + (part > 0.5 ? 1 : 0));
        }
    }

    void dragBelowTheViewScrolls() {
        show(listing(100000));
        const QPoint start = pointOf(view->visibleLines()[0].start);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
        QMouseEvent move(
            QEvent::MouseMove, QPointF(10, view->viewport()->height() + 20),
            view->viewport()->mapToGlobal(QPointF(10, view->viewport()->height() + 20)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QTRY_VERIFY(ResultViewTestAccess::firstVisibleLine(*view) >= 3);
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

    void accessibleTextOfASmallResult() {
        const std::string text = listing(3000);
        show(text);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(accessible->state().readOnly);
        QVERIFY(accessible->state().multiLine);
        QCOMPARE(accessible->text(QAccessible::Value), qs(text));

        QAccessibleTextInterface* textInterface = accessible->textInterface();
        QVERIFY(textInterface);
        const QString whole = qs(text);
        QCOMPARE(textInterface->characterCount(), int(whole.size()));
        QCOMPARE(textInterface->text(9, 30), whole.mid(9, 21));  // across the "ú"

        int start = 0;
        int end = 0;
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
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
        QAccessibleTextInterface* textInterface = accessible->textInterface();
        QCOMPARE(textInterface->characterCount(), 1203807729);  // one "ú" in 1,203,807,730 bytes
        QVERIFY(accessible->text(QAccessible::Value).isEmpty());
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

        int start = 0;
        int end = 0;
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
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
        QAccessibleTextInterface* textInterface = accessible->textInterface();
        const std::size_t size = view->text().size();
        QCOMPARE(textInterface->characterCount(), int(size) - 1);  // one "ú"
        QVERIFY(accessible->text(QAccessible::Value).isEmpty());
        QCOMPARE(textInterface->text(0, -1).size(), tavix::ui::ResultViewAccessible::kTextLimit);
        const int near = textInterface->characterCount() - 30;
        QCOMPARE(textInterface->text(near, near + 20),
                 shown(std::size_t(near) + 1, std::size_t(near) + 21));
        int start = 0;
        int end = 0;
        textInterface->textAtOffset(near, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(end, textInterface->characterCount());
        textInterface->setCursorPosition(near);
        QCOMPARE(view->cursorPosition(), std::size_t(near) + 1);
        QVERIFY(view->visibleLines().back().holds(view->cursorPosition()) ||
                view->visibleLines()[rows() - 1].holds(view->cursorPosition()));
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
};

QTEST_MAIN(ResultViewTest)
#include "result_view_test.moc"
