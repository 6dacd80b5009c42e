// Starting Tavix shows the main window; closing it ends the program.
#include <QApplication>
#include <QIcon>

#include "ui/frm_tavix.hpp"
#include "ui/qt_translations.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Links the window to its menu entry and icon on desktops that ask (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tavix.Tavix"));
    tavix::ui::installQtTranslations();
    tavix::ui::frmTavix window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
