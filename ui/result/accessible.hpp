// What assistive technology sees of the result area: an editable-text object in the read-only
// state, with Qt's text interface over the result (text, ranges, caret, selection, geometry).
// Offsets are in UTF-16 code units, which the result text maps to bytes at once, anywhere in
// it: nothing waits for a pass over the whole text.
#pragma once

#include <QAccessibleWidget>

#include <cstddef>
#include <utility>

#include "core/result_text.hpp"

namespace tavix::ui {

class ResultView;

// Registers, once, the accessibility factory that serves every ResultView.
void installResultViewAccessibility();
// Tells assistive technology, when one listens, that the view's text replaced `old`, and
// that its caret or its selection moved.
void notifyTextReplaced(ResultView* view, const ResultText& old);
void notifyCaretMoved(ResultView* view, bool caret, bool selection);

class ResultViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    // The most characters handed out at once: the whole text (the Value) up to this length,
    // and any range cut to it, so that a huge result cannot swamp the accessibility bus. A
    // million characters is far more than a screen reader reads at once, and its reply
    // (about 2 MB as UTF-16, copied again on its way to the bus) still fits a school computer
    // with little memory.
    static constexpr int kTextLimit = 1 << 20;

    explicit ResultViewAccessible(ResultView* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

  private:
    ResultView* view() const;
    std::size_t size() const;
    std::size_t toBytes(int offset) const;
    int toOffset(std::size_t pos) const;
    // The bytes of the text unit (character, word, line...) that holds `pos`.
    std::pair<std::size_t, std::size_t> unitAt(std::size_t pos,
                                               QAccessible::TextBoundaryType boundary) const;
    // The text's bytes [begin, end) with their offsets, cut to kTextLimit characters.
    QString piece(std::size_t begin, std::size_t end, int* startOffset, int* endOffset) const;
    // The text's bytes [begin, end) as UTF-16; empty when the memory for it cannot be had.
    QString utf16(std::size_t begin, std::size_t end) const;
};

}  // namespace tavix::ui
