// The result area: a read-only, word-wrapping text box for results of any size, up to the
// 1.2 GB listing of every prime below 2^31. It reads its text through a text source that makes
// any stretch on demand, wraps it with a layout that needs no widget, and paints only the
// lines in sight, so showing, scrolling, selecting, copying and saving cost the same for a
// short result and a huge one. This class paints (with a line painter) and hands events on:
// keys and the mouse to their controllers, which reach it only as a caret target, copies to
// the clipboard controller; the rest lives in the layout, the save dialog and the accessible
// interface. It shows no message itself: it tells the window, which shows it.
#pragma once

#include <QAbstractScrollArea>
#include <QPointF>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/result_text.hpp"
#include "ui/result/caret_blink.hpp"
#include "ui/result/caret_target.hpp"
#include "ui/result/clipboard.hpp"
#include "ui/result/key_controller.hpp"
#include "ui/result/model/characters.hpp"
#include "ui/result/model/navigation.hpp"
#include "ui/result/model/viewport.hpp"
#include "ui/result/mouse_controller.hpp"
#include "ui/result/result_message.hpp"

class QMenu;

namespace tavix::ui {

class ResultView : public QAbstractScrollArea, private CaretTarget {
    Q_OBJECT
  public:
    static constexpr std::size_t kDefaultCopyLimit = ResultClipboard::kDefaultCopyLimit;

    explicit ResultView(QWidget* parent = nullptr);
    ~ResultView() override;

    // Replaces the whole text. The view goes back to the first line, the caret to the start,
    // and the selection is dropped.
    void setText(ResultTextPtr text);
    void setText(std::string utf8) { setText(makePlainText(std::move(utf8))); }
    void clear() { setText(std::string()); }
    const ResultText& text() const { return *text_; }
    const ResultTextPtr& sharedText() const { return text_; }
    // Bytes [begin, end) of the text, made into a string.
    std::string bytes(std::size_t begin, std::size_t end);

    // Caret and selection, as byte offsets into the text on character boundaries. The
    // selection runs between the anchor and the caret.
    std::size_t cursorPosition() const { return viewport_.caret().caret; }
    std::size_t anchorPosition() const { return viewport_.caret().anchor; }
    std::size_t selectionStart() const { return viewport_.caret().selectionStart(); }
    std::size_t selectionEnd() const { return viewport_.caret().selectionEnd(); }
    bool hasSelection() const { return viewport_.caret().hasSelection(); }
    std::string selectedText() { return bytes(selectionStart(), selectionEnd()); }
    void setCursorPosition(std::size_t pos);
    void setSelection(std::size_t anchor, std::size_t caret);
    void selectAll() override;

    // Puts the selection on the clipboard. A selection larger than copyLimit() is refused with
    // a warning pointing to "Salvar como…", since neither this program nor most others can
    // take such a paste.
    void copy() override;
    std::size_t copyLimit() const { return clipboard_.limit(); }
    void setCopyLimit(std::size_t bytes) { clipboard_.setLimit(bytes); }
    // "Salvar como…": the whole result to a file the user chooses; a failure is told.
    void saveAs() override;

    // The context menu: "Copiar", "Selecionar tudo" and "Salvar como…". The caller owns it.
    QMenu* createContextMenu(QWidget* parent);

    // The layout. Until the text is fully wrapped, lineCount() is an estimate.
    bool isLayoutComplete() const { return viewport_.complete(); }
    std::int64_t lineCount() const { return viewport_.lineCount(); }
    // The lines in sight, the last one possibly cut off by the bottom edge.
    std::vector<LineSpan> visibleLines();
    // The lines that fit entirely in the view.
    int fullyVisibleRows() const;
    // Room for the characters of a line, in 1/64 pixel.
    Width lineWidth() const { return viewport_.lineWidth(); }
    // The characters of a line, without its line break.
    std::string lineText(const LineSpan& line);

    // For the accessibility interface: the visual line holding `pos` (waiting for the layout
    // if need be), the box of the character at `pos` in viewport coordinates (empty when out
    // of sight), the caret position under a viewport point.
    LineSpan lineHolding(std::size_t pos) { return viewport_.lineHolding(pos); }
    QRectF characterRect(std::size_t pos);
    std::optional<std::size_t> positionAt(QPointF viewportPos) override;
    void ensureVisible(std::size_t pos) { viewport_.ensureVisible(pos); }
    // The character boundaries either side of `pos`, and the word and the paragraph (looked
    // for at most `reach` bytes away) at `pos`.
    std::size_t nextCharacter(std::size_t pos);
    std::size_t previousCharacter(std::size_t pos);
    std::pair<std::size_t, std::size_t> wordAt(std::size_t pos);
    std::pair<std::size_t, std::size_t> paragraphAt(std::size_t pos, std::size_t reach) {
        return tavix::ui::paragraphAt(viewport_.text(), pos, reach);
    }

  signals:
    // Something to tell the user, shown by the window in a message box: the refusal of a copy
    // over the limit (a warning), a save that failed (a failure). Emitted where it happens,
    // returning once the user has read it.
    void message(const QString& text, ResultMessageKind kind);
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
    friend struct ResultViewTestAccess;

    void fontChanged();
    void updateLayout();
    void layoutMoved();
    void updateScrollBar();

    void placeCaret(std::size_t pos, bool extend, bool scroll = true);
    void select(std::size_t anchor, std::size_t caret, bool scroll);
    void restartCaretBlink() { caretBlink_.restart(this, hasFocus()); }

    // What the controllers do to the view.
    bool outsideVertically(QPointF viewportPos) const override;
    void pointCaret(std::size_t pos, bool extend, bool scroll) override;
    void moveCaretBy(Motion motion, bool extend) override;
    void selectWordAt(std::size_t pos) override;
    void scrollLines(int lines) override { viewport_.scrollLines(lines); }
    void setPrimarySelection() override;

    ResultTextPtr text_;
    Viewport viewport_;
    int lineHeight_ = 1;
    int ascent_ = 0;
    bool updatingLayout_ = false;
    bool syncingScrollBar_ = false;

    CaretBlink caretBlink_;
    KeyController keys_{*this};
    MouseController mouse_{*this, *this};
    ResultClipboard clipboard_;
};

}  // namespace tavix::ui
