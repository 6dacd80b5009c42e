#include "ui/clickable_label.hpp"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tavix::ui {

namespace {

// A link, for assistive technology: named by the text it shows, pressed by its action.
class LinkAccessible : public QAccessibleWidget {
  public:
    explicit LinkAccessible(QWidget* label)
        : QAccessibleWidget(label, QAccessible::Link, static_cast<QLabel*>(label)->text()) {
        addControllingSignal(QStringLiteral("clicked()"));
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? static_cast<QLabel*>(widget())->text()
                                         : QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            emit static_cast<ClickableLabel*>(widget())->clicked();
        }
    }
};

QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className())) {
        return new LinkAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

}  // namespace

void installLinkAccessibility() {
    static const bool installed = (QAccessible::installFactory(linkAccessible), true);
    Q_UNUSED(installed);
}

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
    installLinkAccessibility();
    // Reached with Tab; a click opens the link without taking the focus.
    setFocusPolicy(Qt::TabFocus);
}

// Enter and Space open the focused link, as they press a focused button; Esc and the rest go
// on to the window.
void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->key() == Qt::Key_Enter && event->modifiers() == Qt::KeypadModifier);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                  event->key() == Qt::Key_Space)) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton &&
               !event->flags().testFlag(Qt::MouseEventCreatedDoubleClick);
    QLabel::mousePressEvent(event);
}

// Qt hands the second press of a double-click over as a double-click, by default as one
// more press: it arms nothing here.
void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

}  // namespace tavix::ui
