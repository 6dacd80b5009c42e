#include <QMenu>

#include "ui/result/result_view.hpp"

namespace tavix::ui {

QMenu* ResultView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool empty = text_->size() == 0;
    const auto add = [&](const QString& text, void (ResultView::*slot)(),
                         QKeySequence::StandardKey key, bool enabled) {
        QAction* action = menu->addAction(text, this, slot);
        action->setShortcut(key);
        action->setEnabled(enabled);
    };
    add(QStringLiteral("Copiar"), &ResultView::copy, QKeySequence::Copy, hasSelection());
    menu->addSeparator();
    add(QStringLiteral("Selecionar tudo"), &ResultView::selectAll, QKeySequence::SelectAll, !empty);
    menu->addSeparator();
    add(QStringLiteral("Salvar como\u2026"), &ResultView::saveAs, QKeySequence::Save, !empty);
    return menu;
}

}  // namespace tavix::ui
