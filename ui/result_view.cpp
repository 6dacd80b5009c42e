#include "ui/result_view.hpp"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <climits>
#include <deque>
#include <utility>

#include "ui/result_clipboard.hpp"
#include "ui/result_line_index.hpp"
#include "ui/result_text.hpp"
#include "ui/result_utf16_task.hpp"
#include "ui/result_view_accessible.hpp"

namespace tavix::ui {

namespace {

// Room between the frame and the text, as in Qt's own text boxes.
constexpr int kMargin = 4;
// Lines wrapped on the spot to answer a question the layout has not reached yet.
constexpr std::int64_t kMaxWalkLines = 4096;
// How far an autoscrolling drag moves, and how often.
constexpr int kDragScrollMilliseconds = 50;
// The accessibility events of a new text carry at most this much of the old and new texts.
constexpr std::size_t kAccessibleEventBytes = 64 * 1024;

QString fromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The start of `text`, at most `bytes` long, cut on a character boundary.
QString prefixOf(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return fromUtf8(text);
    }
    return fromUtf8(text.substr(0, previousCharBoundary(text, nextCharBoundary(text, bytes))));
}

}  // namespace

ResultView::ResultView(QWidget* parent)
    : QAbstractScrollArea(parent), text_(std::make_shared<const std::string>()) {
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

ResultView::~ResultView() {
    // Stop the threads before anything they report to goes away.
    index_.reset();
    utf16_.reset();
}

// ---- Text ----------------------------------------------------------------------------------

void ResultView::setText(std::string utf8) {
    // The one allocation that may fail comes before anything changes.
    auto text = std::make_shared<const std::string>(std::move(utf8));
    const bool hadSelection = hasSelection();
    const bool caretMoved = caret_ != 0;
    index_.reset();
    utf16_.reset();
    accessibleCaretPending_ = accessibleSelectionPending_ = false;
    releaseCopies();
    const std::shared_ptr<const std::string> old = std::exchange(text_, std::move(text));
    anchor_ = caret_ = 0;
    preferredX_ = -1;
    top_ = 0;
    topLine_ = 0;
    topExact_ = true;
    followEnd_ = false;
    lineWidth_ = -1;
    updateLayout();
    viewport()->update();
    if (QAccessible::isActive() && text_->size() > Utf16OffsetsTask::kSynchronousBytes) {
        startUtf16Offsets();  // assistive technology will ask; have the answer early
    }
    notifyAccessibleText(*old);
    if (hadSelection) {
        emit selectionChanged();
    }
    if (caretMoved) {
        emit cursorPositionChanged();
    }
}

void ResultView::clear() {
    setText({});
}

std::string_view ResultView::selectedText() const {
    return std::string_view(*text_).substr(selectionStart(), selectionEnd() - selectionStart());
}

const Utf16Offsets& ResultView::utf16Offsets() const {
    if (!utf16_) {
        startUtf16Offsets();
    }
    return utf16_->get();
}

// ---- Layout --------------------------------------------------------------------------------

LineBreaker ResultView::breaker() const {
    return LineBreaker(*text_, *widths_, lineWidth_);
}

LineSpan ResultView::lineAt(std::size_t start) const {
    return breaker().line(start);
}

std::vector<LineSpan> ResultView::linesFrom(std::size_t start, int count) const {
    std::vector<LineSpan> lines;
    const LineBreaker wrap = breaker();
    for (int i = 0; i < count; ++i) {
        lines.push_back(wrap.line(start));
        if (lines.back().last) {
            break;
        }
        start = lines.back().next;
    }
    return lines;
}

void ResultView::fontChanged() {
    layoutFont_ = LayoutFont::of(font());
    widths_ = std::make_unique<CharWidths>(layoutFont_);
    const QFontMetrics metrics(widths_->font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    index_.reset();
    lineWidth_ = -1;
    updateLayout();
}

int ResultView::fullyVisibleRows() const {
    return std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight_);
}

bool ResultView::fitsWithoutScrollBar() {
    QSize room = maximumViewportSize();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) {
        room.rwidth() += verticalScrollBar()->sizeHint().width();
    }
    const int rows = (room.height() - 2 * kMargin) / lineHeight_;
    const Width width = Width{std::max(0, room.width() - 2 * kMargin)} * kWidthUnit;
    const LineBreaker lines(*text_, *widths_, width);
    std::size_t pos = 0;
    for (int row = 0; row < rows; ++row) {
        const LineSpan line = lines.line(pos);
        if (line.last) {
            return true;
        }
        pos = line.next;
    }
    return false;
}

void ResultView::updateLayout() {
    if (updatingLayout_ || !isVisible()) {
        return;
    }
    const QScopedValueRollback guard(updatingLayout_, true);
    setVerticalScrollBarPolicy(fitsWithoutScrollBar() ? Qt::ScrollBarAlwaysOff
                                                      : Qt::ScrollBarAlwaysOn);
    const Width width = Width{std::max(0, viewport()->width() - 2 * kMargin)} * kWidthUnit;
    if (!index_ || width != lineWidth_) {
        restartIndex(width);
    } else if (followEnd_) {
        scrollToEnd();
    } else if (index_->complete() && topLine_ > maxTopLine()) {
        scrollToLine(maxTopLine());
    }
    updateScrollBar();
    viewport()->update();
}

void ResultView::restartIndex(Width lineWidth) {
    const std::size_t anchor = top_;
    index_.reset();
    lineWidth_ = lineWidth;
    const std::uint64_t generation = ++generation_;
    index_ = std::make_unique<LineIndex>(text_, layoutFont_, lineWidth, [this, generation] {
        QMetaObject::invokeMethod(
            this, [this, generation] { layoutProgressed(generation); }, Qt::QueuedConnection);
    });
    // The first lines give the line count estimate until the layout is done.
    std::size_t pos = 0;
    int lines = 0;
    const LineBreaker wrap = breaker();
    for (; lines < 256; ++lines) {
        const LineSpan line = wrap.line(pos);
        if (line.last) {
            break;
        }
        pos = line.next;
    }
    firstLinesBytesPerLine_ = lines > 0 ? std::max(1.0, double(pos) / lines) : 1.0;
    if (followEnd_) {
        scrollToEnd();
    } else if (anchor == 0) {
        setTopExact(0, 0);
    } else {
        showLineHolding(anchor);
    }
}

void ResultView::layoutProgressed(std::uint64_t generation) {
    if (generation != generation_ || !index_) {
        return;
    }
    if (!topExact_) {
        if (followEnd_) {
            if (index_->complete()) {
                scrollToEnd();
            }
        } else if (const auto line = exactLineOf(top_)) {
            setTopExact(*exactLineStart(*line), *line);
        }
    }
    updateScrollBar();
    viewport()->update();
}

bool ResultView::isLayoutComplete() const {
    return index_ && index_->complete();
}

void ResultView::waitForLayout() {
    if (index_) {
        index_->wait();
        layoutProgressed(generation_);
    }
}

std::size_t ResultView::layoutMemoryUse() const {
    return index_ ? index_->memoryUse() : 0;
}

double ResultView::bytesPerLine() const {
    const std::int64_t samples = index_ ? index_->sampleCount() : 0;
    if (samples > 1) {
        return std::max(1.0, double(index_->sample(samples - 1)) /
                                 double((samples - 1) * LineIndex::kLinesPerSample));
    }
    return firstLinesBytesPerLine_;
}

std::size_t ResultView::maxBytesPerLine() const {
    // Four bytes for the widest UTF-8 character of the narrowest width.
    const Width perLine = lineWidth_ / widths_->narrowest() + 2;
    return static_cast<std::size_t>(std::min<Width>(4 * perLine, 1 << 20));
}

std::int64_t ResultView::lineCount() const {
    if (!index_) {
        return 0;
    }
    if (index_->complete()) {
        return index_->lineCount();
    }
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    return lastLine + 1 +
           static_cast<std::int64_t>(double(text_->size() - lastStart) / bytesPerLine());
}

std::optional<std::int64_t> ResultView::exactLineOf(std::size_t pos) const {
    if (!index_) {
        return std::nullopt;
    }
    const std::int64_t samples = index_->sampleCount();
    std::int64_t low = 0;
    std::int64_t high = samples;
    while (high - low > 1) {
        const std::int64_t middle = low + (high - low) / 2;
        if (index_->sample(middle) <= pos) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const bool bounded = low + 1 < samples || index_->complete();
    const std::int64_t maxSteps = bounded ? LineIndex::kLinesPerSample : kMaxWalkLines;
    const LineBreaker lines = breaker();
    std::size_t start = index_->sample(low);
    std::int64_t line = low * LineIndex::kLinesPerSample;
    for (std::int64_t step = 0;; ++step) {
        const LineSpan span = lines.line(start);
        if (span.holds(pos)) {
            return line;
        }
        if (span.last || step >= maxSteps) {
            return std::nullopt;
        }
        start = span.next;
        ++line;
    }
}

std::optional<std::size_t> ResultView::exactLineStart(std::int64_t line) const {
    if (!index_ || line < 0) {
        return std::nullopt;
    }
    const bool complete = index_->complete();
    if (complete) {
        line = std::min(line, index_->lineCount() - 1);
    }
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t sample = std::min(line / LineIndex::kLinesPerSample, samples - 1);
    const std::int64_t steps = line - sample * LineIndex::kLinesPerSample;
    if (!complete && sample == samples - 1 && steps > kMaxWalkLines) {
        return std::nullopt;
    }
    const LineBreaker lines = breaker();
    std::size_t start = index_->sample(sample);
    for (std::int64_t step = 0; step < steps; ++step) {
        const LineSpan span = lines.line(start);
        if (span.last) {
            return std::nullopt;
        }
        start = span.next;
    }
    return start;
}

std::size_t ResultView::guessLineStart(std::size_t pos) const {
    const std::string_view text = *text_;
    const std::size_t reach = maxBytesPerLine();
    const std::size_t limit = pos > reach ? pos - reach : 0;
    for (std::size_t i = pos; i > limit; --i) {
        const char c = text[i - 1];
        if (c == ' ' || c == '\t' || c == '\n' ||
            (c == '\r' && (i == text.size() || text[i] != '\n'))) {
            return i;
        }
    }
    // No blank nearby: any character boundary will do.
    std::size_t start = limit;
    while (start > 0 && start < text.size() &&
           (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
        --start;
    }
    return start;
}

std::vector<std::size_t> ResultView::provisionalStarts(std::size_t from, std::size_t to) const {
    std::vector<std::size_t> starts;
    const LineBreaker lines = breaker();
    std::size_t start = guessLineStart(from);
    for (;;) {
        starts.push_back(start);
        const LineSpan span = lines.line(start);
        if (span.last || span.next > to) {
            return starts;
        }
        start = span.next;
    }
}

// ---- Scrolling -----------------------------------------------------------------------------

void ResultView::setTopExact(std::size_t start, std::int64_t line) {
    top_ = start;
    topLine_ = line;
    topExact_ = true;
    followEnd_ = false;
    updateScrollBar();
    viewport()->update();
}

void ResultView::setTopProvisional(std::size_t start, std::int64_t lineGuess) {
    top_ = start;
    topLine_ = std::max<std::int64_t>(0, lineGuess);
    topExact_ = start == 0;
    if (topExact_) {
        topLine_ = 0;
    }
    updateScrollBar();
    viewport()->update();
}

std::int64_t ResultView::lineGuess(std::size_t pos) const {
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    return lastLine + std::int64_t(double(pos - std::min(pos, lastStart)) / bytesPerLine());
}

void ResultView::showLineHolding(std::size_t pos) {
    if (const auto line = exactLineOf(pos)) {
        setTopExact(*exactLineStart(*line), *line);
        return;
    }
    const std::size_t start = provisionalStarts(pos, pos).back();
    setTopProvisional(start, lineGuess(start));
}

std::int64_t ResultView::maxTopLine() const {
    return std::max<std::int64_t>(0, lineCount() - fullyVisibleRows());
}

void ResultView::scrollToLine(std::int64_t line) {
    if (!index_) {
        return;
    }
    line = std::clamp<std::int64_t>(line, 0, maxTopLine());
    if (std::abs(line - topLine_) <= kMaxWalkLines) {
        scrollLines(line - topLine_);
        return;
    }
    if (!index_->complete() && line >= maxTopLine()) {
        scrollToEnd();
        return;
    }
    if (const auto start = exactLineStart(line)) {
        setTopExact(*start, line);
        return;
    }
    // Beyond the layout: wrap provisionally from near where that line should be.
    const std::int64_t samples = index_->sampleCount();
    const std::int64_t lastLine = (samples - 1) * LineIndex::kLinesPerSample;
    const std::size_t lastStart = index_->sample(samples - 1);
    const double guess = double(lastStart) + double(line - lastLine) * bytesPerLine();
    const auto pos = static_cast<std::size_t>(std::min(guess, double(text_->size())));
    followEnd_ = false;
    setTopProvisional(provisionalStarts(pos, pos).back(), line);
}

std::int64_t ResultView::scrollLines(std::int64_t delta) {
    if (!index_ || delta == 0) {
        return 0;
    }
    const int rows = fullyVisibleRows();
    if (delta > 0) {
        // Walk down from the top, never so far that the last line leaves the bottom edge.
        const LineBreaker lines = breaker();
        std::vector<std::size_t> starts{top_};
        for (std::int64_t i = 0; i < delta + rows - 1; ++i) {
            const LineSpan span = lines.line(starts.back());
            if (span.last) {
                break;
            }
            starts.push_back(span.next);
        }
        const std::int64_t step = std::min<std::int64_t>(
            delta, std::int64_t(starts.size()) -
                       std::min<std::int64_t>(rows, std::int64_t(starts.size())));
        if (step <= 0) {
            return 0;
        }
        if (topExact_) {
            setTopExact(starts[step], topLine_ + step);
        } else {
            followEnd_ = false;
            setTopProvisional(starts[step], topLine_ + step);
        }
        return step;
    }
    const std::int64_t up = -delta;
    if (topExact_) {
        if (topLine_ == 0) {
            return 0;
        }
        const std::int64_t line = std::max<std::int64_t>(0, topLine_ - up);
        if (const auto start = exactLineStart(line)) {
            const std::int64_t moved = line - topLine_;
            setTopExact(*start, line);
            return moved;
        }
    }
    // Wrap provisionally from far enough above.
    const std::size_t reach = std::size_t(up + 2) * maxBytesPerLine();
    const std::vector<std::size_t> starts =
        provisionalStarts(top_ > reach ? top_ - reach : 0, top_);
    const std::int64_t here = std::int64_t(starts.size()) - 1;
    const std::int64_t target = std::max<std::int64_t>(0, here - up);
    followEnd_ = false;
    setTopProvisional(starts[target], topLine_ - (here - target));
    return target - here;
}

void ResultView::scrollToEnd() {
    if (!index_) {
        return;
    }
    const int rows = fullyVisibleRows();
    if (index_->complete()) {
        const std::int64_t line = std::max<std::int64_t>(0, index_->lineCount() - rows);
        setTopExact(*exactLineStart(line), line);
        return;
    }
    // The layout has not got there yet: wrap the end provisionally, and show the real end
    // when the layout is done.
    const std::size_t size = text_->size();
    const std::size_t reach = std::size_t(rows + 2) * maxBytesPerLine();
    const std::vector<std::size_t> starts =
        provisionalStarts(size > reach ? size - reach : 0, size);
    const std::size_t first = starts.size() > std::size_t(rows) ? starts.size() - rows : 0;
    if (size <= reach) {
        setTopExact(starts[first], std::int64_t(first));  // wrapped from the very start
        return;
    }
    setTopProvisional(starts[first], maxTopLine());
    followEnd_ = true;
}

void ResultView::updateScrollBar() {
    const QScopedValueRollback guard(syncingScrollBar_, true);
    QScrollBar* bar = verticalScrollBar();
    const auto toInt = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 0, INT_MAX)); };
    bar->setRange(0, toInt(maxTopLine()));
    bar->setPageStep(fullyVisibleRows());
    bar->setSingleStep(1);
    bar->setValue(toInt(topLine_));
}

void ResultView::scrollContentsBy(int, int) {
    if (!syncingScrollBar_) {
        scrollToLine(verticalScrollBar()->value());
    }
}

void ResultView::ensureVisible(std::size_t pos) {
    if (!index_) {
        return;
    }
    const int rows = fullyVisibleRows();
    if (pos >= top_) {
        const LineBreaker lines = breaker();
        std::deque<std::size_t> window;  // the last `rows` line starts walked
        std::size_t start = top_;
        for (std::int64_t walked = 0; walked <= kMaxWalkLines; ++walked) {
            const LineSpan span = lines.line(start);
            window.push_back(start);
            if (std::int64_t(window.size()) > rows) {
                window.pop_front();
            }
            if (span.holds(pos)) {
                const std::int64_t step = walked - (std::int64_t(window.size()) - 1);
                if (step <= 0) {
                    return;  // already in sight
                }
                if (topExact_) {
                    setTopExact(window.front(), topLine_ + step);
                } else {
                    setTopProvisional(window.front(), topLine_ + step);
                }
                return;
            }
            if (span.last) {
                break;
            }
            start = span.next;
        }
        if (pos >= text_->size()) {
            scrollToEnd();
            return;
        }
        if (const auto line = exactLineOf(pos)) {
            scrollToLine(*line - rows + 1);
            return;
        }
        const std::size_t reach = std::size_t(rows + 2) * maxBytesPerLine();
        const std::vector<std::size_t> starts =
            provisionalStarts(pos > reach ? pos - reach : 0, pos);
        const std::size_t first = starts.size() > std::size_t(rows) ? starts.size() - rows : 0;
        followEnd_ = false;
        setTopProvisional(starts[first], lineGuess(starts[first]));
        return;
    }
    followEnd_ = false;
    showLineHolding(pos);
}

std::vector<LineSpan> ResultView::visibleLines() const {
    if (!index_) {
        return {};
    }
    const int rows = (viewport()->height() - kMargin + lineHeight_ - 1) / lineHeight_;
    return linesFrom(top_, std::max(1, rows));
}

LineSpan ResultView::lineHolding(std::size_t pos) {
    if (!index_) {
        return {0, text_->size(), text_->size(), true};
    }
    for (const LineSpan& line : linesFrom(top_, fullyVisibleRows())) {
        if (line.holds(pos)) {
            return line;
        }
    }
    auto line = exactLineOf(pos);
    if (!line) {
        waitForLayout();
        line = exactLineOf(pos);
    }
    return lineAt(line ? *exactLineStart(*line) : 0);
}

QRect ResultView::characterRect(std::size_t pos) const {
    const LineBreaker lines = breaker();
    int y = kMargin;
    for (const LineSpan& line : visibleLines()) {
        if (line.holds(pos)) {
            const Width x = lines.xOf(line, pos);
            int length = 0;
            const Width w = pos < line.end ? lines.advance(x, pos, &length) : 0;
            const int left = kMargin + int(x / kWidthUnit);
            return QRect(left, y, std::max(1, int((x + w) / kWidthUnit) - int(x / kWidthUnit)),
                         lineHeight_);
        }
        y += lineHeight_;
    }
    return {};
}

std::optional<std::size_t> ResultView::positionAt(QPoint viewportPos) const {
    const std::vector<LineSpan> lines = visibleLines();
    if (lines.empty()) {
        return std::nullopt;
    }
    const int row = viewportPos.y() < kMargin ? 0 : (viewportPos.y() - kMargin) / lineHeight_;
    const LineSpan& line = lines[std::min<std::size_t>(row, lines.size() - 1)];
    return breaker().offsetAt(line, Width{viewportPos.x() - kMargin} * kWidthUnit);
}

// ---- Painting ------------------------------------------------------------------------------

void ResultView::paintEvent(QPaintEvent*) {
    if (!index_) {
        return;
    }
    QPainter painter(viewport());
    painter.setFont(widths_->font());
    const QPalette& colors = palette();
    const LineBreaker lines = breaker();
    const std::string_view text = *text_;
    const std::size_t selectedFrom = selectionStart();
    const std::size_t selectedTo = selectionEnd();
    const auto px = [](Width x) { return qreal(kMargin) + qreal(x) / kWidthUnit; };

    // Draws text[from, to) of a line in runs between tabs.
    const auto drawPiece = [&](const LineSpan& line, std::size_t from, std::size_t to,
                               qreal baseline, const QColor& color) {
        if (from >= to) {
            return;
        }
        painter.setPen(color);
        Width x = lines.xOf(line, from);
        std::size_t runStart = from;
        Width runX = x;
        std::size_t i = from;
        while (i < to) {
            int length;
            const Width w = lines.advance(x, i, &length);
            if (text[i] == '\t') {
                painter.drawText(QPointF(px(runX), baseline),
                                 fromUtf8(text.substr(runStart, i - runStart)));
                runStart = i + 1;
                runX = x + w;
            }
            x += w;
            i += length;
        }
        painter.drawText(QPointF(px(runX), baseline),
                         fromUtf8(text.substr(runStart, to - runStart)));
    };

    int y = kMargin;
    for (const LineSpan& line : visibleLines()) {
        const qreal baseline = y + ascent_;
        const std::size_t from = std::clamp(selectedFrom, line.start, line.end);
        const std::size_t to = std::clamp(selectedTo, line.start, line.end);
        // A selection that goes on past the line's end shows one blank more.
        const bool goesOn = selectedFrom <= line.end && selectedTo > line.end && !line.last;
        if (from < to || goesOn) {
            const qreal left = px(lines.xOf(line, from));
            const Width right = lines.xOf(line, to) + (goesOn ? widths_->byteTable()[' '] : 0);
            painter.fillRect(QRectF(left, y, px(right) - left, lineHeight_),
                             colors.brush(QPalette::Highlight));
        }
        drawPiece(line, line.start, from, baseline, colors.color(QPalette::Text));
        drawPiece(line, from, to, baseline, colors.color(QPalette::HighlightedText));
        drawPiece(line, to, line.end, baseline, colors.color(QPalette::Text));
        if (hasFocus() && caretShown_ && line.holds(caret_)) {
            painter.fillRect(QRectF(px(lines.xOf(line, caret_)), y, 1, lineHeight_),
                             colors.brush(QPalette::Text));
        }
        y += lineHeight_;
    }
    painter.end();
    emit painted();
}

// ---- Caret and selection -------------------------------------------------------------------

std::size_t ResultView::snapToChar(std::size_t pos) const {
    const std::string_view text = *text_;
    pos = std::min(pos, text.size());
    if (pos < text.size() && pos > 0) {
        return nextCharBoundary(text, previousCharBoundary(text, pos)) == pos
                   ? pos
                   : previousCharBoundary(text, pos);
    }
    return pos;
}

void ResultView::setCursorPosition(std::size_t pos) {
    preferredX_ = -1;
    placeCaret(snapToChar(pos), false);
}

void ResultView::setSelection(std::size_t anchor, std::size_t caret) {
    preferredX_ = -1;
    select(snapToChar(anchor), snapToChar(caret), true);
}

void ResultView::selectAll() {
    preferredX_ = -1;
    select(0, text_->size(), false);
}

void ResultView::placeCaret(std::size_t pos, bool extend, bool scroll) {
    select(extend ? anchor_ : pos, pos, scroll);
}

void ResultView::select(std::size_t anchor, std::size_t caret, bool scroll) {
    const bool hadSelection = hasSelection();
    const std::size_t oldCaret = caret_;
    const std::size_t oldAnchor = anchor_;
    anchor_ = anchor;
    caret_ = caret;
    if (scroll) {
        ensureVisible(caret_);
    }
    restartCaretBlink();
    viewport()->update();
    const bool caretMoved = caret_ != oldCaret;
    const bool selectionMoved =
        (hadSelection || hasSelection()) && (caret_ != oldCaret || anchor_ != oldAnchor);
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
    // Assistive technology counts in UTF-16, which takes a pass over a large text: until that
    // pass is done on its thread, the news waits, and the view goes on at once.
    if (!utf16_) {
        startUtf16Offsets();
    }
    if (utf16_->inProgress()) {
        accessibleCaretPending_ |= caret;
        accessibleSelectionPending_ |= selection;
        return;
    }
    const Utf16Offsets& offsets = utf16_->get();
    if (caret) {
        QAccessibleTextCursorEvent event(this, int(offsets.toUtf16(caret_)));
        QAccessible::updateAccessibility(&event);
    }
    if (selection) {
        QAccessibleTextSelectionEvent event(this, int(offsets.toUtf16(selectionStart())),
                                            int(offsets.toUtf16(selectionEnd())));
        QAccessible::updateAccessibility(&event);
    }
}

void ResultView::startUtf16Offsets() const {
    const std::uint64_t generation = ++utf16Generation_;
    auto* self = const_cast<ResultView*>(this);
    utf16_ = std::make_unique<Utf16OffsetsTask>(text_, [self, generation] {
        QMetaObject::invokeMethod(
            self, [self, generation] { self->utf16OffsetsReady(generation); },
            Qt::QueuedConnection);
    });
}

void ResultView::utf16OffsetsReady(std::uint64_t generation) {
    if (generation != utf16Generation_ || !utf16_) {
        return;
    }
    const bool caret = std::exchange(accessibleCaretPending_, false);
    const bool selection = std::exchange(accessibleSelectionPending_, false);
    notifyAccessibleCaret(caret, selection);
}

void ResultView::selectWordAt(std::size_t pos) {
    const std::size_t start = wordStart(*text_, pos);
    setSelection(start, wordEnd(*text_, start));
}

void ResultView::moveCaret(Motion motion, bool extend) {
    const std::string_view text = *text_;
    const bool collapse = !extend && hasSelection();
    Width keepX = -1;
    std::size_t pos = caret_;
    switch (motion) {
        case Motion::NextChar:
            pos = collapse ? selectionEnd() : nextCharBoundary(text, caret_);
            break;
        case Motion::PreviousChar:
            pos = collapse ? selectionStart() : previousCharBoundary(text, caret_);
            break;
        case Motion::NextWord:
            // To the start of the next word, as in the system's text boxes.
            pos = wordEnd(text, caret_);
            while (pos < text.size() && isBlank(text[pos])) {
                ++pos;
            }
            break;
        case Motion::PreviousWord:
            pos = caret_;
            while (pos > 0 && isBlank(text[pos - 1])) {
                --pos;
            }
            pos = pos > 0 ? wordStart(text, previousCharBoundary(text, pos)) : 0;
            break;
        case Motion::StartOfLine:
        case Motion::EndOfLine: {
            ensureVisible(caret_);
            const LineSpan line = lineHolding(caret_);
            pos = motion == Motion::StartOfLine ? line.start : breaker().caretEnd(line);
            break;
        }
        case Motion::StartOfText:
            pos = 0;
            break;
        case Motion::EndOfText:
            pos = text.size();
            break;
        case Motion::NextLine:
        case Motion::PreviousLine:
        case Motion::NextPage:
        case Motion::PreviousPage: {
            ensureVisible(caret_);
            const int rows = fullyVisibleRows();
            std::vector<LineSpan> lines = linesFrom(top_, rows);
            std::int64_t row = 0;
            while (row + 1 < std::int64_t(lines.size()) && !lines[row].holds(caret_)) {
                ++row;
            }
            const LineBreaker wrap = breaker();
            keepX = preferredX_ >= 0 ? preferredX_ : wrap.xOf(lines[row], caret_);
            const bool page = motion == Motion::NextPage || motion == Motion::PreviousPage;
            const std::int64_t step =
                (motion == Motion::NextLine || motion == Motion::NextPage ? 1 : -1) *
                (page ? rows : 1);
            std::int64_t target = row + step;
            if (page || target < 0 || target >= rows) {
                const std::int64_t moved = scrollLines(page ? step : (target < 0 ? -1 : 1));
                target -= moved;
                lines = linesFrom(top_, rows);
            }
            target = std::clamp<std::int64_t>(target, 0, std::int64_t(lines.size()) - 1);
            pos = wrap.offsetAt(lines[target], keepX);
            break;
        }
    }
    placeCaret(pos, extend);
    preferredX_ = keepX;
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

// ---- Clipboard -----------------------------------------------------------------------------

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
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tavix"),
                        QStringLiteral("A seleção (%1 MB) é grande demais para copiar; o limite é "
                                       "de %2 MB. Selecione um trecho menor.")
                            .arg(megabytes(bytes), megabytes(copyLimit_)),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    auto* data = new ResultMimeData(text_, selectionStart(), selectionEnd());
    QGuiApplication::clipboard()->setMimeData(data);
    copied_ = data;
}

void ResultView::releaseCopies() {
    // What was copied stays on the clipboard, but no longer holds on to the whole result.
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

QMenu* ResultView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* copyAction = menu->addAction(QStringLiteral("Copiar"), this, &ResultView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    menu->addSeparator();
    QAction* selectAllAction =
        menu->addAction(QStringLiteral("Selecionar tudo"), this, &ResultView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(!text_->empty());
    return menu;
}

void ResultView::notifyAccessibleText(const std::string& oldText) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleTextUpdateEvent event(this, 0, prefixOf(oldText, kAccessibleEventBytes),
                                     prefixOf(*text_, kAccessibleEventBytes));
    QAccessible::updateAccessibility(&event);
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
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    struct Binding {
        QKeySequence::StandardKey key;
        Motion motion;
        bool extend;
    };
    static constexpr Binding kBindings[] = {
        {QKeySequence::MoveToNextChar, Motion::NextChar, false},
        {QKeySequence::MoveToPreviousChar, Motion::PreviousChar, false},
        {QKeySequence::MoveToNextWord, Motion::NextWord, false},
        {QKeySequence::MoveToPreviousWord, Motion::PreviousWord, false},
        {QKeySequence::MoveToNextLine, Motion::NextLine, false},
        {QKeySequence::MoveToPreviousLine, Motion::PreviousLine, false},
        {QKeySequence::MoveToNextPage, Motion::NextPage, false},
        {QKeySequence::MoveToPreviousPage, Motion::PreviousPage, false},
        {QKeySequence::MoveToStartOfLine, Motion::StartOfLine, false},
        {QKeySequence::MoveToEndOfLine, Motion::EndOfLine, false},
        {QKeySequence::MoveToStartOfDocument, Motion::StartOfText, false},
        {QKeySequence::MoveToEndOfDocument, Motion::EndOfText, false},
        {QKeySequence::SelectNextChar, Motion::NextChar, true},
        {QKeySequence::SelectPreviousChar, Motion::PreviousChar, true},
        {QKeySequence::SelectNextWord, Motion::NextWord, true},
        {QKeySequence::SelectPreviousWord, Motion::PreviousWord, true},
        {QKeySequence::SelectNextLine, Motion::NextLine, true},
        {QKeySequence::SelectPreviousLine, Motion::PreviousLine, true},
        {QKeySequence::SelectNextPage, Motion::NextPage, true},
        {QKeySequence::SelectPreviousPage, Motion::PreviousPage, true},
        {QKeySequence::SelectStartOfLine, Motion::StartOfLine, true},
        {QKeySequence::SelectEndOfLine, Motion::EndOfLine, true},
        {QKeySequence::SelectStartOfDocument, Motion::StartOfText, true},
        {QKeySequence::SelectEndOfDocument, Motion::EndOfText, true},
    };
    for (const Binding& binding : kBindings) {
        if (event->matches(binding.key)) {
            if (index_) {
                moveCaret(binding.motion, binding.extend);
            }
            return;
        }
    }
    // Read-only: typed characters, Enter and the rest belong to the window.
    event->ignore();
}

void ResultView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto pos = positionAt(event->position().toPoint())) {
        preferredX_ = -1;
        placeCaret(*pos, event->modifiers() & Qt::ShiftModifier);
        dragging_ = true;
        dragPos_ = event->position().toPoint();
    }
}

void ResultView::dragTo(QPoint viewportPos) {
    if (const auto pos = positionAt(viewportPos)) {
        preferredX_ = -1;
        placeCaret(*pos, true, false);
    }
}

void ResultView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    dragPos_ = event->position().toPoint();
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
    if (const auto pos = positionAt(event->position().toPoint())) {
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
        scrollLines(dragPos_.y() < 0 ? -1 : 1);
        dragTo(dragPos_);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

}  // namespace tavix::ui
