#include "ui/result/result_view.hpp"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "ui/message_box.hpp"
#include "ui/result/accessible.hpp"
#include "ui/result/clipboard.hpp"
#include "ui/result/font_widths.hpp"
#include "ui/result/key_bindings.hpp"
#include "ui/result/model/characters.hpp"
#include "ui/result/save_dialog.hpp"

namespace tavix::ui {

namespace {

// Room between the frame and the text, as in Qt's own text boxes.
constexpr int kMargin = 4;
// How often an autoscrolling drag moves.
constexpr int kDragScrollMilliseconds = 50;
// The accessibility events of a new text carry at most this much of the old and new texts.
constexpr std::size_t kAccessibleEventBytes = 64 * 1024;

QString fromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The start of a text, at most about `bytes` long, cut on a character boundary.
QString prefixOf(const ResultText& text, std::size_t bytes) {
    const std::uint64_t end = text.byteOffset(text.characterOffset(std::min(bytes, text.size())));
    return fromUtf8(text.slice(0, end));
}

}  // namespace

ResultView::ResultView(QWidget* parent)
    : QAbstractScrollArea(parent),
      text_(makePlainText({})),
      layout_(
          [this](std::uint64_t generation) {
              // From the layout thread: taken in on the window's own thread.
              QMetaObject::invokeMethod(
                  this, [this, generation] { layout_.indexProgressed(generation); },
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
    const bool caretMoved = caret_.caret != 0;
    layout_.setText(text);  // the one step that may fail comes before anything else changes
    releaseCopies();
    const ResultTextPtr old = std::exchange(text_, std::move(text));
    caret_ = Caret();
    updateLayout();
    viewport()->update();
    notifyAccessibleText(*old);
    if (hadSelection) {
        emit selectionChanged();
    }
    if (caretMoved) {
        emit cursorPositionChanged();
    }
}

std::string ResultView::bytes(std::size_t begin, std::size_t end) {
    return layout_.text().copy(begin, end);
}

std::string ResultView::lineText(const LineSpan& line) {
    return bytes(line.start, line.end);
}

// ---- Layout --------------------------------------------------------------------------------

void ResultView::fontChanged() {
    const QFontMetrics metrics(layoutFontOf(font()));
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    layout_.setWidths(charWidthsOf(font()));
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
    setVerticalScrollBarPolicy(layout_.fits(roomWidth, roomRows) ? Qt::ScrollBarAlwaysOff
                                                                 : Qt::ScrollBarAlwaysOn);
    const Width width = Width{std::max(0, viewport()->width() - 2 * kMargin)} * kWidthUnit;
    layout_.setView(width, fullyVisibleRows());
}

void ResultView::layoutMoved() {
    updateScrollBar();
    viewport()->update();
}

void ResultView::updateScrollBar() {
    const QScopedValueRollback guard(syncingScrollBar_, true);
    QScrollBar* bar = verticalScrollBar();
    const auto toInt = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 0, INT_MAX)); };
    bar->setRange(0, toInt(layout_.maxTopLine()));
    bar->setPageStep(fullyVisibleRows());
    bar->setSingleStep(1);
    bar->setValue(toInt(layout_.topLine()));
}

void ResultView::scrollContentsBy(int, int) {
    if (!syncingScrollBar_) {
        layout_.scrollToLine(verticalScrollBar()->value());
    }
}

std::vector<LineSpan> ResultView::visibleLines() {
    const int rows = (viewport()->height() - kMargin + lineHeight_ - 1) / lineHeight_;
    return layout_.visibleLines(std::max(1, rows));
}

QRectF ResultView::characterRect(std::size_t pos) {
    const LineBreaker breaker = layout_.breaker();
    qreal y = kMargin;
    for (const LineSpan& line : visibleLines()) {
        if (line.holds(pos)) {
            const LineText lineText = breaker.lineText(layout_.text(), line);
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
    const LineBreaker breaker = layout_.breaker();
    const Width x = qRound64((viewportPos.x() - kMargin) * kWidthUnit);
    return breaker.offsetAt(breaker.lineText(layout_.text(), lines[row]), x);
}

// ---- Painting ------------------------------------------------------------------------------

void ResultView::paintEvent(QPaintEvent*) {
    if (!layout_.laidOut()) {
        return;
    }
    QPainter painter(viewport());
    painter.setFont(layoutFontOf(font()));
    const QPalette& colors = palette();
    const LineBreaker breaker = layout_.breaker();
    const std::size_t selectedFrom = selectionStart();
    const std::size_t selectedTo = selectionEnd();
    const auto px = [](Width x) { return qreal(kMargin) + qreal(x) / kWidthUnit; };
    // The caret is one device pixel wide, on a device pixel, at any scale.
    const qreal ratio = devicePixelRatioF();
    const auto onPixel = [ratio](qreal x) { return std::round(x * ratio) / ratio; };

    // Draws the characters [from, to) of a line in runs between tabs.
    const auto drawPiece = [&](const LineText& line, std::size_t from, std::size_t to,
                               qreal baseline, const QColor& color) {
        if (from >= to) {
            return;
        }
        painter.setPen(color);
        const std::size_t base = line.span.start;
        Width x = breaker.xOf(line, from);
        std::size_t runStart = from;
        Width runX = x;
        for (std::size_t i = from; i < to;) {
            int length;
            const Width w = breaker.advance(line, x, i, &length);
            if (line.bytes[i - base] == '\t') {
                painter.drawText(QPointF(px(runX), baseline),
                                 fromUtf8(line.bytes.substr(runStart - base, i - runStart)));
                runStart = i + 1;
                runX = x + w;
            }
            x += w;
            i += length;
        }
        painter.drawText(QPointF(px(runX), baseline),
                         fromUtf8(line.bytes.substr(runStart - base, to - runStart)));
    };

    int y = kMargin;
    for (const LineSpan& span : visibleLines()) {
        // A copy of the line's bytes: the source may replace its view while measuring.
        const std::string bytes = layout_.text().copy(span.start, span.next);
        const LineText line{span, bytes};
        const qreal baseline = y + ascent_;
        const std::size_t from = std::clamp(selectedFrom, span.start, span.end);
        const std::size_t to = std::clamp(selectedTo, span.start, span.end);
        // A selection that goes on past the line's end shows one blank more.
        const bool goesOn = selectedFrom <= span.end && selectedTo > span.end && !span.last;
        if (from < to || goesOn) {
            const qreal left = px(breaker.xOf(line, from));
            const Width right =
                breaker.xOf(line, to) + (goesOn ? layout_.widths().byteTable()[' '] : 0);
            painter.fillRect(QRectF(left, y, px(right) - left, lineHeight_),
                             colors.brush(QPalette::Highlight));
        }
        drawPiece(line, span.start, from, baseline, colors.color(QPalette::Text));
        drawPiece(line, from, to, baseline, colors.color(QPalette::HighlightedText));
        drawPiece(line, to, span.end, baseline, colors.color(QPalette::Text));
        if (hasFocus() && caretShown_ && span.holds(caret_.caret)) {
            painter.fillRect(
                QRectF(onPixel(px(breaker.xOf(line, caret_.caret))), y, 1 / ratio, lineHeight_),
                colors.brush(QPalette::Text));
        }
        y += lineHeight_;
    }
    painter.end();
    emit painted();
}

// ---- Caret and selection -------------------------------------------------------------------

void ResultView::setCursorPosition(std::size_t pos) {
    caret_.preferredX = -1;
    placeCaret(snapToChar(layout_.text(), pos), false);
}

void ResultView::setSelection(std::size_t anchor, std::size_t caret) {
    caret_.preferredX = -1;
    select(snapToChar(layout_.text(), anchor), snapToChar(layout_.text(), caret), true);
}

void ResultView::selectAll() {
    caret_.preferredX = -1;
    select(0, text_->size(), false);
}

void ResultView::placeCaret(std::size_t pos, bool extend, bool scroll) {
    select(extend ? caret_.anchor : pos, pos, scroll);
}

void ResultView::select(std::size_t anchor, std::size_t caret, bool scroll) {
    const Caret old = caret_;
    caret_.anchor = anchor;
    caret_.caret = caret;
    if (scroll) {
        layout_.ensureVisible(caret);
    }
    restartCaretBlink();
    viewport()->update();
    const bool caretMoved = caret != old.caret;
    const bool selectionMoved = (old.hasSelection() || caret_.hasSelection()) &&
                                (caret != old.caret || anchor != old.anchor);
    if (caretMoved) {
        emit cursorPositionChanged();
    }
    if (selectionMoved) {
        emit selectionChanged();
    }
    notifyAccessibleCaret(caretMoved, selectionMoved);
}

void ResultView::notifyAccessibleCaret(bool caret, bool selection) {
    if (!QAccessible::isActive() || !(caret || selection)) {
        return;
    }
    const auto offset = [this](std::size_t pos) {
        return int(std::min<std::uint64_t>(text_->characterOffset(pos), INT_MAX));
    };
    if (caret) {
        QAccessibleTextCursorEvent event(this, offset(caret_.caret));
        QAccessible::updateAccessibility(&event);
    }
    if (selection) {
        QAccessibleTextSelectionEvent event(this, offset(selectionStart()), offset(selectionEnd()));
        QAccessible::updateAccessibility(&event);
    }
}

void ResultView::notifyAccessibleText(const ResultText& old) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleTextUpdateEvent event(this, 0, prefixOf(old, kAccessibleEventBytes),
                                     prefixOf(*text_, kAccessibleEventBytes));
    QAccessible::updateAccessibility(&event);
}

void ResultView::selectWordAt(std::size_t pos) {
    TextSource& text = layout_.text();
    const std::size_t start = wordStart(text, pos);
    setSelection(start, wordEnd(text, start));
}

void ResultView::restartCaretBlink() {
    caretShown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0) {
        caretBlink_.start(flash / 2, this);
    } else {
        caretBlink_.stop();
    }
}

// ---- Clipboard and saving ------------------------------------------------------------------

void ResultView::copy() {
    if (!hasSelection()) {
        return;
    }
    const std::size_t bytes = selectionEnd() - selectionStart();
    if (bytes > copyLimit_) {
        const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
        const auto megabytes = [&](std::size_t n) {
            return portuguese.toString(qint64((n + (1 << 19)) >> 20));
        };
        showMessageBox(this,
                       QStringLiteral("A seleção (%1 MB) é grande demais para copiar; o limite é "
                                      "de %2 MB. Selecione um trecho menor, ou use \u201CSalvar "
                                      "como\u2026\u201D (Ctrl+S) para gravar o resultado em um "
                                      "arquivo.")
                           .arg(megabytes(bytes), megabytes(copyLimit_)),
                       MessageIcon::Exclamation);
        return;
    }
    auto* data = new ResultMimeData(text_, selectionStart(), selectionEnd());
    QGuiApplication::clipboard()->setMimeData(data);
    copied_ = data;
}

void ResultView::releaseCopies() {
    // What was copied stays on the clipboard, but no longer holds on to a whole result.
    for (ResultMimeData* data : {copied_.data(), primarySelection_.data()}) {
        if (data != nullptr) {
            data->keepOwnCopy();
        }
    }
}

void ResultView::setPrimarySelection() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection() &&
        selectionEnd() - selectionStart() <= copyLimit_) {
        auto* data = new ResultMimeData(text_, selectionStart(), selectionEnd());
        clipboard->setMimeData(data, QClipboard::Selection);
        primarySelection_ = data;
    }
}

void ResultView::saveAs() {
    if (text_->size() == 0) {
        return;
    }
    const ResultTextPtr text = text_;  // what is shown now, whatever comes next
    saveResultAs(window(), text);
}

QMenu* ResultView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* copyAction = menu->addAction(QStringLiteral("Copiar"), this, &ResultView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    menu->addSeparator();
    QAction* selectAllAction =
        menu->addAction(QStringLiteral("Selecionar tudo"), this, &ResultView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(text_->size() != 0);
    menu->addSeparator();
    QAction* saveAction =
        menu->addAction(QStringLiteral("Salvar como\u2026"), this, &ResultView::saveAs);
    saveAction->setShortcut(QKeySequence::Save);
    saveAction->setEnabled(text_->size() != 0);
    return menu;
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
    const KeyAction action = keyAction(event);
    switch (action.command) {
        case KeyAction::Command::Copy:
            copy();
            return;
        case KeyAction::Command::SelectAll:
            selectAll();
            return;
        case KeyAction::Command::Save:
            saveAs();
            return;
        case KeyAction::Command::Move:
            if (layout_.laidOut()) {
                const CaretMove move = moveCaret(layout_, caret_, action.motion, action.extend);
                placeCaret(move.pos, action.extend);
                caret_.preferredX = move.keepX;
            }
            return;
        case KeyAction::Command::None:
            break;
    }
    // Read-only: typed characters, Enter and the rest belong to the window.
    event->ignore();
}

void ResultView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = positionAt(event->position())) {
        caret_.preferredX = -1;
        placeCaret(*pos, event->modifiers() & Qt::ShiftModifier);
        dragging_ = true;
        dragPos_ = event->position();
    }
}

void ResultView::dragTo(QPointF viewportPos) {
    if (const auto pos = positionAt(viewportPos)) {
        caret_.preferredX = -1;
        placeCaret(*pos, true, false);
    }
}

void ResultView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    dragPos_ = event->position();
    const bool outside = dragPos_.y() < 0 || dragPos_.y() >= viewport()->height();
    if (outside && !dragScroll_.isActive()) {
        dragScroll_.start(kDragScrollMilliseconds, this);
    } else if (!outside) {
        dragScroll_.stop();
    }
    dragTo(dragPos_);
}

void ResultView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        dragScroll_.stop();
        setPrimarySelection();
    }
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = positionAt(event->position())) {
        selectWordAt(*pos);
        setPrimarySelection();
    }
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
    if (event->timerId() == caretBlink_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update();
    } else if (event->timerId() == dragScroll_.timerId()) {
        layout_.scrollLines(dragPos_.y() < 0 ? -1 : 1);
        dragTo(dragPos_);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

}  // namespace tavix::ui
