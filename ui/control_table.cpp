#include "ui/control_table.hpp"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "ui/clickable_label.hpp"
#include "ui/digit_line_edit.hpp"
#include "ui/result/result_view.hpp"
#include "ui/window_look.hpp"

namespace tavix::ui {

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void setFont(QWidget* control, const ControlFont& font) {
    if (font.points == 0) {
        return;
    }
    QFont arialFont = arial(font.points);
    if (font.bold) {
        arialFont.setBold(true);
    }
    if (font.underline) {
        arialFont.setUnderline(true);
    }
    control->setFont(arialFont);
}

void setColour(QWidget* control, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

QWidget* makeButton(const ControlRow& row, QWidget* parent) {
    auto* button = new QPushButton(text(row.text), parent);
    button->setAccessibleName(text(row.text));
    // Only the default button presses on Enter; a focused button takes Enter all the same.
    const bool isDefault = (row.further.flags & kDefault) != 0;
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

QWidget* makeLabel(const ControlRow& row, QLabel* label) {
    label->setText(text(row.text));
    label->setTextFormat(Qt::PlainText);
    const Qt::Alignment across = (row.further.flags & kCentred)      ? Qt::AlignHCenter
                                 : (row.further.flags & kAlignRight) ? Qt::AlignRight
                                                                     : Qt::AlignLeft;
    label->setAlignment(across | Qt::AlignTop);
    if ((row.further.flags & kWrapped) != 0) {
        label->setWordWrap(true);
    }
    if (row.further.colour.isValid()) {
        setColour(label, QPalette::WindowText, row.further.colour);
    }
    return label;
}

QWidget* makePicture(QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(programPixmap(parent->window()->devicePixelRatioF()));
    picture->setFocusPolicy(Qt::StrongFocus);
    return picture;
}

// A solid strip of the line's colour, as long as the line and as thick as its width.
QWidget* makeLine(const ControlRow& row, QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setAutoFillBackground(true);
    setColour(line, QPalette::Window, row.further.colour);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    return line;
}

QWidget* make(const ControlRow& row, QWidget* parent) {
    switch (row.kind) {
        case ControlKind::Button:
            return makeButton(row, parent);
        case ControlKind::NumberBox:
            return new DigitLineEdit(parent);
        case ControlKind::ResultArea:
            return new ResultView(parent);
        case ControlKind::Pane:
            return new QWidget(parent);
        case ControlKind::Label:
            return makeLabel(row, new QLabel(parent));
        case ControlKind::Link:
            return makeLabel(row, new ClickableLabel(parent));
        case ControlKind::Picture:
            return makePicture(parent);
        case ControlKind::Line:
            return makeLine(row, parent);
    }
    return nullptr;
}

QRect pixelRect(const ControlRow& row) {
    if (row.kind != ControlKind::Line) {
        return twipsRect(row.left, row.top, row.width, row.height);
    }
    return {pixels(row.left), pixels(row.top),
            std::max(pixels(row.width - row.left), row.further.lineWidth),
            std::max(pixels(row.height - row.top), row.further.lineWidth)};
}

}  // namespace

QWidget* Controls::find(const char* name) const {
    for (const Built& built : built_) {
        if (std::strcmp(built.row->name, name) == 0) {
            return built.widget;
        }
    }
    return nullptr;
}

std::vector<QWidget*> Controls::focusOrder() const {
    std::vector<Built> focusable;
    std::copy_if(built_.begin(), built_.end(), std::back_inserter(focusable),
                 [](const Built& built) { return built.widget->focusPolicy() != Qt::NoFocus; });
    std::stable_sort(focusable.begin(), focusable.end(), [](const Built& a, const Built& b) {
        return a.row->tabIndex < b.row->tabIndex;
    });
    std::vector<QWidget*> order;
    for (const Built& built : focusable) {
        order.push_back(built.widget);
    }
    return order;
}

Controls buildControls(QWidget* window, std::span<const ControlRow> rows) {
    Controls controls;
    for (const ControlRow& row : rows) {
        QWidget* parent = *row.further.in != '\0' ? controls.find(row.further.in) : window;
        QWidget* control = make(row, parent);
        control->setObjectName(QString::fromLatin1(row.name));
        control->setGeometry(pixelRect(row));
        setFont(control, row.font);
        if (*row.further.name != '\0') {
            control->setAccessibleName(text(row.further.name));
        }
        if (*row.further.description != '\0') {
            control->setAccessibleDescription(text(row.further.description));
        }
        if (*row.further.under != '\0') {
            control->stackUnder(controls.find(row.further.under));
        }
        if ((row.further.flags & kHidden) != 0) {
            control->hide();
        }
        controls.add(row, control);
    }
    const std::vector<QWidget*> order = controls.focusOrder();
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    return controls;
}

}  // namespace tavix::ui
