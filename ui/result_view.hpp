// The result area: a read-only, word-wrapping text box for results of any size, up to the
// 1.2 GB listing of every prime below 2^31. It keeps the UTF-8 text itself (one byte per
// character for the digits), wraps it in one pass over the bytes, and paints only the lines in
// sight, so showing, scrolling and selecting cost the same for a short result and a huge one.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QPointer>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/result_line_breaker.hpp"

class QMenu;

namespace tavix::ui {

class LineIndex;
class ResultMimeData;
class Utf16Offsets;
class Utf16OffsetsTask;

class ResultView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // The largest selection that "Copiar" puts on the clipboard (128 MiB).
    static constexpr std::size_t kDefaultCopyLimit = std::size_t{128} << 20;

    explicit ResultView(QWidget* parent = nullptr);
    ~ResultView() override;

    // Replaces the whole text, taking the string over without copying it. The view goes back
    // to the first line, the caret to the start, and the selection is dropped.
    void setText(std::string utf8);
    // The text; the reference holds until the next setText() or clear().
    const std::string& text() const { return *text_; }
    void clear();

    // Caret and selection, as byte offsets into text() on character boundaries. The selection
    // runs between the anchor and the caret.
    std::size_t cursorPosition() const { return caret_; }
    std::size_t anchorPosition() const { return anchor_; }
    std::size_t selectionStart() const { return std::min(anchor_, caret_); }
    std::size_t selectionEnd() const { return std::max(anchor_, caret_); }
    bool hasSelection() const { return anchor_ != caret_; }
    std::string_view selectedText() const;
    void setCursorPosition(std::size_t pos);
    void setSelection(std::size_t anchor, std::size_t caret);
    void selectAll();

    // Puts the selection on the clipboard. A selection larger than copyLimit() is refused with
    // a message, since neither this program nor most others can take such a paste.
    void copy();
    std::size_t copyLimit() const { return copyLimit_; }
    void setCopyLimit(std::size_t bytes) { copyLimit_ = bytes; }

    // The context menu: "Copiar" and "Selecionar tudo". The caller owns it.
    QMenu* createContextMenu(QWidget* parent);

    // The layout. Until the text is fully wrapped, lineCount() is an estimate.
    bool isLayoutComplete() const;
    void waitForLayout();
    std::int64_t lineCount() const;
    // The line at the top of the view; an estimate while the view is ahead of the layout.
    std::int64_t firstVisibleLine() const { return topLine_; }
    // The lines in sight, the last one possibly cut off by the bottom edge.
    std::vector<LineSpan> visibleLines() const;
    // The lines that fit entirely in the view.
    int fullyVisibleRows() const;
    // Room for the characters of a line, in 1/64 pixel.
    Width lineWidth() const { return lineWidth_; }
    // Memory the line starts take, in bytes.
    std::size_t layoutMemoryUse() const;

    // For the accessibility interface: the visual line holding `pos` (waiting for the layout
    // if need be), the box of the character at `pos` in viewport coordinates (empty when out
    // of sight), the caret position under a viewport point, and UTF-16 offsets.
    LineSpan lineHolding(std::size_t pos);
    QRect characterRect(std::size_t pos) const;
    std::optional<std::size_t> positionAt(QPoint viewportPos) const;
    void ensureVisible(std::size_t pos);
    const Utf16Offsets& utf16Offsets() const;

  signals:
    // The view received the keyboard focus, for whatever reason (mouse, Tab, setFocus(), the
    // window becoming active again, a menu closing).
    void focused();
    void selectionChanged();
    void cursorPositionChanged();
    // A paint of the text has reached the end, for tests and benchmarks that wait for what
    // the user sees (nothing is connected to it in the program).
    void painted();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    enum class Motion {
        NextChar,
        PreviousChar,
        NextWord,
        PreviousWord,
        NextLine,
        PreviousLine,
        NextPage,
        PreviousPage,
        StartOfLine,
        EndOfLine,
        StartOfText,
        EndOfText
    };

    LineBreaker breaker() const;
    LineSpan lineAt(std::size_t start) const;
    std::vector<LineSpan> linesFrom(std::size_t start, int count) const;

    // Layout.
    void fontChanged();
    void updateLayout();
    bool fitsWithoutScrollBar();
    void restartIndex(Width lineWidth);
    void layoutProgressed(std::uint64_t generation);
    std::optional<std::int64_t> exactLineOf(std::size_t pos) const;
    std::optional<std::size_t> exactLineStart(std::int64_t line) const;
    double bytesPerLine() const;
    std::size_t maxBytesPerLine() const;
    std::size_t guessLineStart(std::size_t pos) const;
    std::vector<std::size_t> provisionalStarts(std::size_t from, std::size_t to) const;

    // Scrolling. The top line is exact when it is known to start a line of the real layout;
    // otherwise it is provisional, wrapped from a nearby blank, until the layout gets there.
    void setTopExact(std::size_t start, std::int64_t line);
    void setTopProvisional(std::size_t start, std::int64_t lineGuess);
    std::int64_t lineGuess(std::size_t pos) const;
    void showLineHolding(std::size_t pos);
    void scrollToLine(std::int64_t line);
    // Returns how many lines the view moved (negative: up).
    std::int64_t scrollLines(std::int64_t delta);
    void scrollToEnd();
    std::int64_t maxTopLine() const;
    void updateScrollBar();

    // Caret, selection and clipboard.
    void moveCaret(Motion motion, bool extend);
    void placeCaret(std::size_t pos, bool extend, bool scroll = true);
    void select(std::size_t anchor, std::size_t caret, bool scroll);
    std::size_t snapToChar(std::size_t pos) const;
    void selectWordAt(std::size_t pos);
    void restartCaretBlink();
    void dragTo(QPoint viewportPos);
    void setPrimarySelection();
    void notifyAccessibleText(const std::string& oldText);
    void notifyAccessibleCaret(bool caret, bool selection);
    void startUtf16Offsets() const;
    void utf16OffsetsReady(std::uint64_t generation);
    void releaseCopies();

    std::shared_ptr<const std::string> text_;
    mutable std::unique_ptr<Utf16OffsetsTask> utf16_;
    mutable std::uint64_t utf16Generation_ = 0;
    bool accessibleCaretPending_ = false;
    bool accessibleSelectionPending_ = false;

    LayoutFont layoutFont_;
    std::unique_ptr<CharWidths> widths_;
    int lineHeight_ = 1;
    int ascent_ = 0;

    Width lineWidth_ = -1;  // -1: not laid out yet
    std::unique_ptr<LineIndex> index_;
    std::uint64_t generation_ = 0;
    double firstLinesBytesPerLine_ = 1;
    bool updatingLayout_ = false;

    std::size_t top_ = 0;
    std::int64_t topLine_ = 0;
    bool topExact_ = true;
    bool followEnd_ = false;  // show the end once the layout gets there
    bool syncingScrollBar_ = false;

    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    Width preferredX_ = -1;  // kept through vertical caret moves
    bool caretShown_ = true;
    QBasicTimer caretBlink_;

    bool dragging_ = false;
    QPoint dragPos_;
    QBasicTimer dragScroll_;

    std::size_t copyLimit_ = kDefaultCopyLimit;
    // The last copies put on the clipboard and the primary selection, while they are there.
    QPointer<ResultMimeData> copied_;
    QPointer<ResultMimeData> primarySelection_;
};

}  // namespace tavix::ui
