#include "ui/window_look.hpp"

#include <QString>

// The icon lives in a static library's resources, which the linker drops unless something
// refers to them: register them before the icon is first looked up.
static void registerTavixResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tavix);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace tavix::ui {

QPalette fixedLook(const QColor& background) {
    QPalette look;  // nothing set: every role follows the desktop
    look.setColor(QPalette::Window, background);
    look.setColor(QPalette::WindowText, kFixedText);
    return look;
}

QFont arial(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

QPixmap programPixmap() {
    registerTavixResources();
    return QPixmap(QStringLiteral(":/tavix.png"));
}

QIcon programIcon() {
    registerTavixResources();
    return QIcon(QStringLiteral(":/tavix.png"));
}

}  // namespace tavix::ui
