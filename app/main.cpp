// Starting Tavix shows the main window; closing it ends the program.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

#include "app/drawing_threads.hpp"
#include "app/quit_signals.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/qt_translations.hpp"
#include "ui/result/io/address_space.hpp"
#include "ui/result/save_dialog.hpp"

namespace {

// The address space the window needs beyond what Qt takes at start: the window itself, a
// listing of the whole range and its layout, with room for a message.
constexpr std::size_t kWindowBytes = std::size_t{32} << 20;

}  // namespace

int main(int argc, char** argv) {
    // Each thread that allocates would otherwise get a memory arena of its own, reserving
    // 64 MB of address space each; under a limit on the address space (ulimit -v) those
    // reserves left no room for the stack of a new thread, and even one more arena, made while
    // the window starts, now and then left too little for the window itself at 200 MB. The
    // threads allocate little (the listing's text is made on demand, a save reuses its
    // chunks), so all of them share the one arena.
    mallopt(M_ARENA_MAX, 1);
    QApplication app(argc, argv);
    const bool poolWhole = tavix::app::keepDrawingThreads();
    if (!tavix::app::drawingThreadsUsable()) {
        // Without a single drawing thread the window could not paint: stop rather than
        // show a window that never answers.
        std::fputs("Tavix: não há memória suficiente para abrir a janela.\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (!tavix::ui::roomFor(kWindowBytes)) {
        // Qt would fail while making the window, half made: stop before.
        std::fputs("Tavix: não há memória suficiente para abrir a janela.\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
    tavix::app::handleQuitSignals(tavix::ui::stopSaves);
    // Links the window to its menu entry and icon on desktops that ask (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tavix.Tavix"));
    tavix::ui::installQtTranslations();
    int status = 0;
    {
        tavix::ui::frmTavix window;
        QApplication::setWindowIcon(window.windowIcon());
        window.show();
        status = QApplication::exec();
    }
    if (const int signal = tavix::app::quitSignal()) {
        tavix::app::endBySignal(signal);
    }
    if (!poolWhole) {
        // The pool counts a thread that never started and would wait for it at the end.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
