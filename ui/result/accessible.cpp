#include "ui/result/accessible.hpp"

#include <QAccessible>

#include <algorithm>
#include <climits>
#include <new>
#include <string>

#include "ui/result/model/characters.hpp"
#include "ui/result/result_view.hpp"

namespace tavix::ui {

namespace {

QAccessibleInterface* resultViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(ResultView::staticMetaObject.className())) {
        if (auto* view = qobject_cast<ResultView*>(object)) {
            return new ResultViewAccessible(view);
        }
    }
    return nullptr;
}

// How far a paragraph is looked for on either side of an offset: a result is usually one
// long paragraph, which is handed out in pieces anyway.
constexpr std::size_t kParagraphReach = std::size_t{1} << 20;

// The accessibility events of a new text carry at most this much of the old and new texts.
constexpr std::size_t kAccessibleEventBytes = 64 * 1024;

// The start of a text, at most about `bytes` long, cut on a character boundary.
QString prefixOf(const ResultText& text, std::size_t bytes) {
    const std::uint64_t end = text.byteOffset(text.characterOffset(std::min(bytes, text.size())));
    const std::string piece = text.slice(0, end);
    return QString::fromUtf8(piece.data(), qsizetype(piece.size()));
}

}  // namespace

void notifyTextReplaced(ResultView* view, const ResultText& old) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleTextUpdateEvent event(view, 0, prefixOf(old, kAccessibleEventBytes),
                                     prefixOf(view->text(), kAccessibleEventBytes));
    QAccessible::updateAccessibility(&event);
}

void notifyCaretMoved(ResultView* view, bool caret, bool selection) {
    if (!QAccessible::isActive() || !(caret || selection)) {
        return;
    }
    const auto offset = [view](std::size_t pos) {
        return int(std::min<std::uint64_t>(view->text().characterOffset(pos), INT_MAX));
    };
    if (caret) {
        QAccessibleTextCursorEvent event(view, offset(view->cursorPosition()));
        QAccessible::updateAccessibility(&event);
    }
    if (selection) {
        QAccessibleTextSelectionEvent event(view, offset(view->selectionStart()),
                                            offset(view->selectionEnd()));
        QAccessible::updateAccessibility(&event);
    }
}

void installResultViewAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(resultViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ResultViewAccessible::ResultViewAccessible(ResultView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

ResultView* ResultViewAccessible::view() const {
    return static_cast<ResultView*>(widget());
}

std::size_t ResultViewAccessible::size() const {
    return view()->text().size();
}

void* ResultViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ResultViewAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.editable = false;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString ResultViewAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) {
        if (characterCount() > kTextLimit) {
            return {};
        }
        return utf16(0, size());
    }
    return QAccessibleWidget::text(kind);
}

std::size_t ResultViewAccessible::toBytes(int offset) const {
    return view()->text().byteOffset(std::uint64_t(std::max(offset, 0)));
}

int ResultViewAccessible::toOffset(std::size_t pos) const {
    return int(std::min<std::uint64_t>(view()->text().characterOffset(pos), INT_MAX));
}

int ResultViewAccessible::characterCount() const {
    return int(std::min<std::uint64_t>(view()->text().length(), INT_MAX));
}

void ResultViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && view()->hasSelection()) {
        *startOffset = toOffset(view()->selectionStart());
        *endOffset = toOffset(view()->selectionEnd());
    }
}

int ResultViewAccessible::selectionCount() const {
    return view()->hasSelection() ? 1 : 0;
}

void ResultViewAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void ResultViewAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        view()->setCursorPosition(view()->cursorPosition());
    }
}

void ResultViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) {
        view()->setSelection(toBytes(startOffset), toBytes(endOffset));
    }
}

int ResultViewAccessible::cursorPosition() const {
    return toOffset(view()->cursorPosition());
}

void ResultViewAccessible::setCursorPosition(int position) {
    view()->setCursorPosition(toBytes(position));
}

QString ResultViewAccessible::piece(std::size_t begin, std::size_t end, int* startOffset,
                                    int* endOffset) const {
    const int start = toOffset(begin);
    int stop = toOffset(end);
    if (stop - start > kTextLimit) {
        stop = start + kTextLimit;
        end = toBytes(stop);
    }
    if (startOffset) {
        *startOffset = start;
    }
    if (endOffset) {
        *endOffset = stop;
    }
    return utf16(begin, end);
}

QString ResultViewAccessible::utf16(std::size_t begin, std::size_t end) const {
    // An assistive technology asks from its own event; with little memory an answer that
    // cannot be made is an empty one, never the end of the program.
    try {
        const std::string bytes = view()->bytes(begin, end);
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QString ResultViewAccessible::text(int startOffset, int endOffset) const {
    if (endOffset < 0) {
        endOffset = characterCount();
    }
    if (startOffset < 0 || startOffset >= endOffset) {
        return {};
    }
    return piece(toBytes(startOffset), toBytes(endOffset), nullptr, nullptr);
}

std::pair<std::size_t, std::size_t> ResultViewAccessible::unitAt(
    std::size_t pos, QAccessible::TextBoundaryType boundary) const {
    const std::size_t size = view()->text().size();
    switch (boundary) {
        case QAccessible::CharBoundary:
            return {pos, view()->nextCharacter(pos)};
        case QAccessible::WordBoundary:
            return view()->wordAt(pos);
        case QAccessible::LineBoundary: {
            const LineSpan line = view()->lineHolding(pos);
            return {line.start, line.next};
        }
        case QAccessible::SentenceBoundary:
        case QAccessible::ParagraphBoundary:
            // A paragraph ends with its line break.
            if (!view()->text().hasLineBreaks()) {
                return {0, size};
            }
            return view()->paragraphAt(pos, kParagraphReach);
        case QAccessible::NoBoundary:
            break;
    }
    return {0, size};
}

QString ResultViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundary,
                                           int* startOffset, int* endOffset) const {
    std::size_t pos = toBytes(offset);
    if (pos >= size() && boundary != QAccessible::NoBoundary) {
        if (boundary != QAccessible::LineBoundary || size() == 0) {
            *startOffset = *endOffset = characterCount();
            return {};
        }
        pos = size();  // the last line
    }
    const auto [begin, end] = unitAt(pos, boundary);
    return piece(begin, end, startOffset, endOffset);
}

QString ResultViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary,
                                               int* startOffset, int* endOffset) const {
    const std::size_t pos = std::min(toBytes(offset), size());
    const std::size_t here =
        boundary == QAccessible::CharBoundary || pos >= size() ? pos : unitAt(pos, boundary).first;
    if (here == 0 || boundary == QAccessible::NoBoundary) {
        *startOffset = *endOffset = 0;
        return {};
    }
    const std::size_t before = view()->previousCharacter(here);
    const auto [begin, end] = unitAt(before, boundary);
    return piece(begin, end, startOffset, endOffset);
}

QString ResultViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary,
                                              int* startOffset, int* endOffset) const {
    const std::size_t pos = toBytes(offset);
    if (pos >= size() || boundary == QAccessible::NoBoundary) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    const std::size_t after = unitAt(pos, boundary).second;
    if (after >= size()) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    const auto [begin, end] = unitAt(after, boundary);
    return piece(begin, end, startOffset, endOffset);
}

QRect ResultViewAccessible::characterRect(int offset) const {
    const QRect box = view()->characterRect(toBytes(offset)).toAlignedRect();
    if (box.isEmpty()) {
        return {};
    }
    return QRect(view()->viewport()->mapToGlobal(box.topLeft()), box.size());
}

int ResultViewAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(local)) {
        return -1;
    }
    const auto pos = view()->positionAt(local);
    return pos ? toOffset(*pos) : -1;
}

void ResultViewAccessible::scrollToSubstring(int startIndex, int) {
    view()->ensureVisible(toBytes(startIndex));
}

QString ResultViewAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

}  // namespace tavix::ui
