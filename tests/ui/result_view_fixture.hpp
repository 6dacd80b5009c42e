// What the result area's tests share: a view shown afresh for each test, texts to show in
// it, and the ways a user reaches it (the mouse, the clipboard, the menu).
#pragma once

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

#include <memory>

#include "core/computations.hpp"
#include "support/qt_helpers.hpp"
#include "support/recording_window.hpp"
#include "ui/result/accessible.hpp"
#include "ui/result/result_view.hpp"
#include "ui/result/result_view_test_access.hpp"

using tavix::ResultTextPtr;
using tavix::ui::LineSpan;
using tavix::ui::ResultView;
using tavix::ui::ResultViewTestAccess;

inline QFont resultFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    return font;
}

// "Total de N números primos: " and N numbers of one to ten digits, `bytes` long or a little more.
inline std::string listing(std::size_t bytes) {
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

inline QString qs(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Greedy word wrap, written from the definition with Qt's own string measure: each line is
// the longest run of whole words (blanks hanging at its end) whose width fits; a word wider
// than the line alone is cut after as many characters as fit (at least one).
inline QStringList referenceWrap(const QString& text, const QFont& font, qreal width) {
    const QFontMetricsF metrics(font);
    const auto fits = [&](QString piece) {  // blanks at the end hang past the edge
        return metrics.horizontalAdvance(piece.remove(QRegularExpression(" +$"))) <= width;
    };
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const QString rest = text.mid(start);
        if (fits(rest)) {
            return lines << rest;
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

// A mouse event at a point that may fall between pixels, as the pointer gives it.
inline void sendMouse(QWidget* viewport, QEvent::Type type, QPointF at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

inline void dragMouse(QWidget* viewport, QPoint from, QPoint to) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    sendMouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

inline QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

inline QStringList actionTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text() + (action->isEnabled() ? "" : " (disabled)");
        }
    }
    return texts;
}

class ResultViewFixture {
  protected:
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
    std::int64_t topLine() const { return ResultViewTestAccess::firstVisibleLine(*view); }
    void waitForLayout() { ResultViewTestAccess::waitForLayout(*view); }
    // A point in the first quarter of the character at `pos`: a click there goes before it.
    QPoint pointOf(std::size_t pos) const {
        const QRectF box = view->characterRect(pos);
        return QPointF(box.left() + box.width() / 4, box.center().y()).toPoint();
    }
    QString lineText(const LineSpan& line) const { return qs(view->lineText(line)); }
    QString shown(std::size_t begin, std::size_t end) const { return qs(view->bytes(begin, end)); }
    QAccessibleTextInterface* accessibleText() const {
        return QAccessible::queryAccessibleInterface(view.get())->textInterface();
    }
};
