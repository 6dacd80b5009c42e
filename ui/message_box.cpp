#include "ui/message_box.hpp"

#include <QMessageBox>

namespace tavix::ui {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString accessibleIconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QStringLiteral("crítico");
        case MessageIcon::Exclamation:
            return QStringLiteral("exclamação");
        case MessageIcon::Information:
            return QStringLiteral("informação");
    }
    return {};
}

void showMessageBox(QWidget* parent, const QString& text, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), QString::fromUtf8(kMessageTitle), text, QMessageBox::Ok, parent);
    box.setAccessibleName(QString::fromUtf8(kMessageTitle));
    box.setAccessibleDescription(accessibleIconName(icon));
    box.exec();
}

}  // namespace tavix::ui
