// Timing of the result area alone with listings made on demand, 0 to 10000000 and the whole
// range 0 to 2147483647: showing the result, scrolling to its end, stepping, resizing, reading
// the accessible text far into it, copying, and memory.
//
//   tavix_ui_bench [10M] [full]     (both when no size is given)
//
// Runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen, or a display).
#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/computations.hpp"
#include "support/process_memory.hpp"
#include "support/recording_window.hpp"
#include "ui/result/result_view.hpp"
#include "ui/result/result_view_test_access.hpp"

namespace {

using tavix::testing::megabytes;
using tavix::testing::statusKilobytes;
using tavix::ui::ResultViewTestAccess;

void press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(widget, &up);
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Milliseconds that `step` plus a repaint of the view take; the CPU time this thread spent on
// them goes to lastCpuMilliseconds (the machine is shared, so wall time includes waiting).
double lastCpuMilliseconds = 0;

template <class Step>
double timed(tavix::ui::ResultView& view, Step step) {
    QElapsedTimer timer;
    const double cpu = threadCpuSeconds();
    timer.start();
    step();
    view.viewport()->repaint();
    lastCpuMilliseconds = (threadCpuSeconds() - cpu) * 1e3;
    return double(timer.nsecsElapsed()) / 1e6;
}

template <class Step>
double averaged(tavix::ui::ResultView& view, int times, Step step) {
    double total = 0;
    for (int i = 0; i < times; ++i) {
        total += timed(view, step);
        QCoreApplication::processEvents();
    }
    return total / times;
}

void run(tavix::ui::ResultView& view, const char* first, const char* last) {
    QElapsedTimer timer;
    timer.start();
    tavix::ResultTextPtr text = tavix::testing::listingText(first, last);
    const double listing = double(timer.nsecsElapsed()) / 1e6;
    const std::size_t size = text->size();
    std::printf("\n== %s to %s: %zu bytes (%.1f MB), \"%.40s...\" (listed in %.3f ms)\n", first,
                last, size, megabytes(double(size)), text->slice(0, 40).c_str(), listing);

    QElapsedTimer sinceSet;
    sinceSet.start();
    std::printf("setText + first paint                 %9.3f ms (CPU %.3f ms)\n",
                timed(view, [&] { view.setText(text); }), lastCpuMilliseconds);
    const double earlyEnd = timed(view, [&] { press(&view, Qt::Key_End, Qt::ControlModifier); });
    std::printf("Ctrl+End + paint, layout still going  %9.3f ms (CPU %.3f ms, end shown: %s)\n",
                earlyEnd, lastCpuMilliseconds, view.visibleLines().back().last ? "yes" : "no");
    ResultViewTestAccess::waitForLayout(view);
    std::printf("layout complete after setText         %9.3f ms (%lld lines)\n",
                double(sinceSet.nsecsElapsed()) / 1e6, static_cast<long long>(view.lineCount()));
    QCoreApplication::processEvents();
    std::printf("Ctrl+Home + paint                     %9.3f ms\n",
                timed(view, [&] { press(&view, Qt::Key_Home, Qt::ControlModifier); }));
    const double end = timed(view, [&] { press(&view, Qt::Key_End, Qt::ControlModifier); });
    std::printf("Ctrl+End + paint                      %9.3f ms (top line %lld)\n", end,
                static_cast<long long>(ResultViewTestAccess::firstVisibleLine(view)));
    QScrollBar* bar = view.verticalScrollBar();
    std::printf("scroll bar to the middle + paint      %9.3f ms\n",
                timed(view, [&] { bar->setValue(bar->maximum() / 2); }));
    std::printf("one scroll step + paint (mean of 200) %9.3f ms\n", averaged(view, 200, [&] {
                    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                }));
    std::printf("PageDown + paint (mean of 50)         %9.3f ms\n",
                averaged(view, 50, [&] { press(&view, Qt::Key_PageDown); }));
    std::printf("Down arrow + paint (mean of 200)      %9.3f ms\n",
                averaged(view, 200, [&] { press(&view, Qt::Key_Down); }));

    // Assistive technology reading far into the text.
    QAccessibleTextInterface* accessible =
        QAccessible::queryAccessibleInterface(&view)->textInterface();
    const int far = std::min(600'000'000, accessible->characterCount() - 40);
    QElapsedTimer read;
    read.start();
    const QString piece = accessible->text(far, far + 40);
    std::printf("accessible text, 40 characters at %d %9.3f ms (\"%s\")\n", far,
                double(read.nsecsElapsed()) / 1e6, qPrintable(piece));

    // A copy of the largest selection the clipboard takes, made when it is pasted.
    press(&view, Qt::Key_Home, Qt::ControlModifier);
    view.setSelection(0, std::min(size, tavix::ui::ResultView::kDefaultCopyLimit));
    view.copy();
    QElapsedTimer paste;
    paste.start();
    const QByteArray pasted = QGuiApplication::clipboard()->mimeData()->data("text/plain");
    std::printf("copy, then paste %zu bytes           %9.3f ms\n", std::size_t(pasted.size()),
                double(paste.nsecsElapsed()) / 1e6);

    const QSize size0 = view.size();
    sinceSet.restart();
    std::printf("resize (rewrap) + first paint         %9.3f ms\n",
                timed(view, [&] { view.resize(size0.width() - 120, size0.height()); }));
    ResultViewTestAccess::waitForLayout(view);
    std::printf("rewrap complete                       %9.3f ms (%lld lines)\n",
                double(sinceSet.nsecsElapsed()) / 1e6, static_cast<long long>(view.lineCount()));
    view.resize(size0);
    ResultViewTestAccess::waitForLayout(view);
    std::printf("line index                            %9.3f MB\n",
                megabytes(double(ResultViewTestAccess::layoutMemoryUse(view))));
    std::printf("RSS now / peak so far                 %9.1f MB / %.1f MB\n",
                statusKilobytes("VmRSS:") / 1024.0, statusKilobytes("VmHWM:") / 1024.0);
    QGuiApplication::clipboard()->clear();
    view.clear();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.emplace_back(argv[i]);
    }
    if (sizes.empty()) {
        sizes = {"10M", "full"};
    }
    std::printf("platform %s, %u hardware threads\n", qPrintable(QGuiApplication::platformName()),
                std::thread::hardware_concurrency());

    tavix::ui::ResultView view;
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    view.setFont(font);
    view.resize(834, 465);  // the result area of the main window
    view.show();
    QElapsedTimer wait;
    wait.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && wait.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    view.setFocus();
    std::printf("font %s, line width %.1f px\n", qPrintable(QFontInfo(view.font()).family()),
                double(view.lineWidth()) / tavix::ui::kWidthUnit);

    for (const std::string& size : sizes) {
        if (size == "10M") {
            run(view, "0", "10000000");
        } else if (size == "full") {
            run(view, "0", "2147483647");
        } else {
            std::fprintf(stderr, "unknown size %s (10M, full)\n", size.c_str());
            return 2;
        }
    }
    return 0;
}
