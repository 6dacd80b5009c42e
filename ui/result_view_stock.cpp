#include "ui/result_view_stock.hpp"

#include <QTextOption>

namespace tavix::ui {

ResultViewStock::ResultViewStock(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
}

void ResultViewStock::setText(std::string text) {
    text_ = std::move(text);
    if (!pending_) {
        pending_ = true;
        QMetaObject::invokeMethod(this, &ResultViewStock::showPendingText, Qt::QueuedConnection);
    }
}

void ResultViewStock::showPendingText() {
    if (pending_) {
        pending_ = false;
        setPlainText(QString::fromStdString(text_));
    }
}

}  // namespace tavix::ui
