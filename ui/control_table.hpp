// A window's controls as a table, one row a control in creation order, as a form designer
// would list them: name, kind, text, place and size in twips, font, tab index and the few
// further settings. buildControls makes them, in that order, so that a later control lies
// over an earlier one where two meet.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <span>
#include <vector>

namespace tavix::ui {

enum class ControlKind {
    Button,      // a push button
    NumberBox,   // a one-line box with the digit filter
    ResultArea,  // the read-only result area
    Pane,        // an empty, unpainted widget that holds other controls
    Label,       // a text that takes no focus
    Link,        // a label that opens something when clicked, reached with Tab
    Picture,     // the program icon in a sunken box, sized to its picture
    Line,        // a straight line, from (left, top) to (right, bottom)
};

// Arial at `points`, regular unless bold or underlined; no points: the window's own font.
struct ControlFont {
    qreal points = 0;
    bool bold = false;
    bool underline = false;
};

// Further settings, to be or-ed.
enum ControlSetting : unsigned {
    kAlignRight = 1U << 0,  // a label's text against its right edge (the left by default)
    kCentred = 1U << 1,     // a label's text centred
    kWrapped = 1U << 2,     // a label's text wrapped at its width
    kDefault = 1U << 3,     // the button Enter presses
    kHidden = 1U << 4,      // hidden at start
};

// The settings of a row beyond the common columns.
struct FurtherSettings {
    unsigned flags = 0;      // ControlSetting values, or-ed
    QColor colour = {};      // a label's text or a line's colour; none: the window's
    int lineWidth = 1;       // a line's, in pixels
    const char* in = "";     // the pane that holds the control; none: the window
    const char* under = "";  // the earlier control it lies under; none: over every earlier one
    // What assistive technology says of the control beyond what it shows: a name, for a
    // control that shows none or to be said in place of its text, and a description.
    const char* name = "";
    const char* description = "";
};

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* text;  // UTF-8
    // Twips from the top-left corner of the client area; for a line, from (left, top) to
    // (width, height) read as its far end.
    int left;
    int top;
    int width;
    int height;
    ControlFont font;
    int tabIndex;  // the focus order of the controls that take the focus
    FurtherSettings further = {};
};

// The controls made from a table, by name.
class Controls {
  public:
    template <typename T = QWidget>
    T* get(const char* name) const {
        return qobject_cast<T*>(find(name));
    }
    QWidget* find(const char* name) const;
    void add(const ControlRow& row, QWidget* widget) { built_.push_back({&row, widget}); }
    // The controls that take the focus, by tab index.
    std::vector<QWidget*> focusOrder() const;

  private:
    struct Built {
        const ControlRow* row;
        QWidget* widget;
    };
    std::vector<Built> built_;
};

// Makes the controls of `rows` on `window`, in table order, and chains those that take the
// focus by their tab index. The rows must outlive the result.
Controls buildControls(QWidget* window, std::span<const ControlRow> rows);

}  // namespace tavix::ui
