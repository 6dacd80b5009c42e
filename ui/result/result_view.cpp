#include "ui/result/result_view.hpp"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "ui/result/accessible.hpp"
#include "ui/result/font_widths.hpp"
#include "ui/result/line_painter.hpp"
#include "ui/result/model/characters.hpp"
#include "ui/result/save_dialog.hpp"

namespace tavix::ui {

namespace {

// Room between the frame and the text, as in Qt's own text boxes.
constexpr int kMargin = 4;

}  // namespace

ResultView::ResultView(QWidget* parent)
    : QAbstractScrollArea(parent),
      text_(makePlainText({})),
      viewport_(
          [this](std::uint64_t generation) {
              // From the layout thread: taken in on the window's own thread.
              QMetaObject::invokeMethod(
                  this, [this, generation] { viewport_.indexProgressed(generation); },
                  Qt::QueuedConnection);
          },
          [this] { layoutMoved(); }) {
    installResultViewAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    fontChanged();
}

ResultView::~ResultView() = default;

// ---- Text ----------------------------------------------------------------------------------

void ResultView::setText(ResultTextPtr text) {
    if (!text) {
        text = makePlainText({});
    }
    const bool hadSelection = hasSelection();
    const bool caretMoved = viewport_.caret().caret != 0;
    // The one step that may fail comes before anything else changes; the caret goes to the
    // start and the selection is dropped.
    viewport_.setText(text);
    clipboard_.release();
    const ResultTextPtr old = std::exchange(text_, std::move(text));
    updateLayout();
    viewport()->update();
    notifyTextReplaced(this, *old);
    if (hadSelection) {
        emit selectionChanged();
    }
    if (caretMoved) {
        emit cursorPositionChanged();
    }
}

std::string ResultView::bytes(std::size_t begin, std::size_t end) {
    return viewport_.text().copy(begin, end);
}

std::string ResultView::lineText(const LineSpan& line) {
    return bytes(line.start, line.end);
}

// ---- Layout --------------------------------------------------------------------------------

void ResultView::fontChanged() {
    const QFontMetrics metrics(layoutFontOf(font()));
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    viewport_.setWidths(charWidthsOf(font()));
    updateLayout();
}

int ResultView::fullyVisibleRows() const {
    return std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight_);
}

void ResultView::updateLayout() {
    if (updatingLayout_ || !isVisible()) {
        return;
    }
    const QScopedValueRollback guard(updatingLayout_, true);
    // The scroll bar only where the text does not fit without it.
    QSize room = maximumViewportSize();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) {
        room.rwidth() += verticalScrollBar()->sizeHint().width();
    }
    const int roomRows = (room.height() - 2 * kMargin) / lineHeight_;
    const Width roomWidth = Width{std::max(0, room.width() - 2 * kMargin)} * kWidthUnit;
    setVerticalScrollBarPolicy(viewport_.fits(roomWidth, roomRows) ? Qt::ScrollBarAlwaysOff
                                                                   : Qt::ScrollBarAlwaysOn);
    const Width width = Width{std::max(0, viewport()->width() - 2 * kMargin)} * kWidthUnit;
    viewport_.setView(width, fullyVisibleRows());
}

void ResultView::layoutMoved() {
    updateScrollBar();
    viewport()->update();
}

void ResultView::updateScrollBar() {
    const QScopedValueRollback guard(syncingScrollBar_, true);
    QScrollBar* bar = verticalScrollBar();
    const auto toInt = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 0, INT_MAX)); };
    bar->setRange(0, toInt(viewport_.maxTopLine()));
    bar->setPageStep(fullyVisibleRows());
    bar->setSingleStep(1);
    bar->setValue(toInt(viewport_.topLine()));
}

void ResultView::scrollContentsBy(int, int) {
    if (!syncingScrollBar_) {
        viewport_.scrollToLine(verticalScrollBar()->value());
    }
}

std::vector<LineSpan> ResultView::visibleLines() {
    const int rows = (viewport()->height() - kMargin + lineHeight_ - 1) / lineHeight_;
    return viewport_.visibleLines(std::max(1, rows));
}

QRectF ResultView::characterRect(std::size_t pos) {
    const LineBreaker breaker = viewport_.breaker();
    qreal y = kMargin;
    for (const LineSpan& line : visibleLines()) {
        if (line.holds(pos)) {
            const LineText lineText = breaker.lineText(viewport_.text(), line);
            const Width x = breaker.xOf(lineText, pos);
            int length = 0;
            const Width w = pos < line.end ? breaker.advance(lineText, x, pos, &length) : 0;
            return QRectF(kMargin + qreal(x) / kWidthUnit, y,
                          std::max<qreal>(1, qreal(w) / kWidthUnit), lineHeight_);
        }
        y += lineHeight_;
    }
    return {};
}

std::optional<std::size_t> ResultView::positionAt(QPointF viewportPos) {
    const std::vector<LineSpan> lines = visibleLines();
    if (lines.empty()) {
        return std::nullopt;
    }
    const qreal rowY = (viewportPos.y() - kMargin) / lineHeight_;
    const std::size_t row = rowY < 0 ? 0 : std::min(std::size_t(rowY), lines.size() - 1);
    const LineBreaker breaker = viewport_.breaker();
    const Width x = qRound64((viewportPos.x() - kMargin) * kWidthUnit);
    return breaker.offsetAt(breaker.lineText(viewport_.text(), lines[row]), x);
}

// ---- Painting ------------------------------------------------------------------------------

void ResultView::paintEvent(QPaintEvent*) {
    if (!viewport_.laidOut()) {
        return;
    }
    QPainter painter(viewport());
    painter.setFont(layoutFontOf(font()));
    const LineBreaker breaker = viewport_.breaker();
    const LinePaintStyle style{kMargin, lineHeight_, ascent_, devicePixelRatioF(),
                               viewport_.widths().byteTable()[' ']};
    LinePainter lines(painter, breaker, palette(), style);
    const std::optional<std::size_t> caret =
        hasFocus() && caretBlink_.shown() ? std::optional(viewport_.caret().caret) : std::nullopt;
    int y = kMargin;
    for (const LineSpan& span : visibleLines()) {
        // A copy of the line's bytes: the source may replace its view while measuring.
        const std::string bytes = viewport_.text().copy(span.start, span.next);
        lines.paint(LineText{span, bytes}, y, selectionStart(), selectionEnd(), caret);
        y += lineHeight_;
    }
    painter.end();
    emit painted();
}

// ---- Caret and selection -------------------------------------------------------------------

void ResultView::setCursorPosition(std::size_t pos) {
    viewport_.caret().preferredX = -1;
    placeCaret(snapToChar(viewport_.text(), pos), false);
}

void ResultView::setSelection(std::size_t anchor, std::size_t caret) {
    viewport_.caret().preferredX = -1;
    select(snapToChar(viewport_.text(), anchor), snapToChar(viewport_.text(), caret), true);
}

void ResultView::selectAll() {
    viewport_.caret().preferredX = -1;
    select(0, text_->size(), false);
}

void ResultView::placeCaret(std::size_t pos, bool extend, bool scroll) {
    select(extend ? viewport_.caret().anchor : pos, pos, scroll);
}

void ResultView::select(std::size_t anchor, std::size_t caret, bool scroll) {
    Caret& now = viewport_.caret();
    const Caret old = now;
    now.anchor = anchor;
    now.caret = caret;
    if (scroll) {
        viewport_.ensureVisible(caret);
    }
    restartCaretBlink();
    viewport()->update();
    const bool caretMoved = caret != old.caret;
    const bool selectionMoved =
        (old.hasSelection() || now.hasSelection()) && (caret != old.caret || anchor != old.anchor);
    if (caretMoved) {
        emit cursorPositionChanged();
    }
    if (selectionMoved) {
        emit selectionChanged();
    }
    notifyCaretMoved(this, caretMoved, selectionMoved);
}

std::size_t ResultView::nextCharacter(std::size_t pos) {
    return nextCharBoundary(viewport_.text(), pos);
}

std::size_t ResultView::previousCharacter(std::size_t pos) {
    return previousCharBoundary(viewport_.text(), pos);
}

std::pair<std::size_t, std::size_t> ResultView::wordAt(std::size_t pos) {
    TextSource& text = viewport_.text();
    const std::size_t start = wordStart(text, pos);
    return {start, wordEnd(text, start)};
}

// ---- What the controllers do ---------------------------------------------------------------

bool ResultView::outsideVertically(QPointF viewportPos) const {
    return viewportPos.y() < 0 || viewportPos.y() >= viewport()->height();
}

void ResultView::pointCaret(std::size_t pos, bool extend, bool scroll) {
    viewport_.caret().preferredX = -1;
    placeCaret(pos, extend, scroll);
}

void ResultView::moveCaretBy(Motion motion, bool extend) {
    if (viewport_.laidOut()) {
        const CaretMove move = moveCaret(viewport_, viewport_.caret(), motion, extend);
        placeCaret(move.pos, extend);
        viewport_.caret().preferredX = move.keepX;
    }
}

void ResultView::selectWordAt(std::size_t pos) {
    const auto [start, end] = wordAt(pos);
    setSelection(start, end);
}

// ---- Clipboard and saving ------------------------------------------------------------------

void ResultView::copy() {
    if (!hasSelection()) {
        return;
    }
    if (const auto refused = clipboard_.copy(text_, selectionStart(), selectionEnd())) {
        emit message(*refused, ResultMessageKind::Warning);
    }
}

void ResultView::setPrimarySelection() {
    clipboard_.setPrimarySelection(text_, selectionStart(), selectionEnd());
}

void ResultView::saveAs() {
    if (text_->size() == 0) {
        return;
    }
    const ResultTextPtr text = text_;  // what is shown now, whatever comes next
    saveResultAs(window(), text,
                 [this](const QString& said, ResultMessageKind kind) { emit message(said, kind); });
}

// ---- Events --------------------------------------------------------------------------------

void ResultView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateLayout();
}

void ResultView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    updateLayout();
}

void ResultView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fontChanged();
    } else if (event->type() == QEvent::StyleChange) {
        updateLayout();
    }
}

void ResultView::keyPressEvent(QKeyEvent* event) {
    keys_.press(event);
}

void ResultView::mousePressEvent(QMouseEvent* event) {
    mouse_.press(event);
}

void ResultView::mouseMoveEvent(QMouseEvent* event) {
    mouse_.move(event);
}

void ResultView::mouseReleaseEvent(QMouseEvent* event) {
    mouse_.release(event);
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
    mouse_.doubleClick(event);
}

void ResultView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createContextMenu(this));
    menu->exec(event->globalPos());
}

void ResultView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaretBlink();
    viewport()->update();
    emit focused();
}

void ResultView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretBlink_.stop();
    viewport()->update();
}

void ResultView::timerEvent(QTimerEvent* event) {
    if (caretBlink_.blinked(event->timerId())) {
        viewport()->update();
    } else if (!mouse_.timer(event->timerId())) {
        QAbstractScrollArea::timerEvent(event);
    }
}

}  // namespace tavix::ui
