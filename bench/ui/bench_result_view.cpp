// Timing of the result area with the prime listing at 20 MB, 200 MB and the full 1.2 GB of
// 0 to 2147483647: showing the result, scrolling to its end, stepping, resizing, and memory.
//
//   tavix_ui_bench [20M] [200M] [full]     (all three when no size is given)
//
// Runs on whatever Qt platform is set (QT_QPA_PLATFORM=offscreen, or a display).
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWindow>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "support/process_memory.hpp"
#include "ui/result_line_breaker.hpp"
#include "ui/result_view.hpp"

namespace {

using tavix::testing::megabytes;
using tavix::testing::statusKilobytes;

constexpr std::uint64_t kLastNumber = 2147483647;

// The listing "Total de N números primos: 2, 3, 5, ..." of the primes up to kLastNumber, cut
// after the first prime that takes the list to `targetBytes` (0: no cut).
std::string primeListing(std::size_t targetBytes) {
    constexpr std::size_t kHeaderRoom = 64;
    const std::size_t capacity = (targetBytes ? targetBytes : 1203807730) + kHeaderRoom + 16;
    std::string out(capacity, '\0');
    char* const base = out.data();
    std::size_t pos = kHeaderRoom;
    std::uint64_t count = 0;
    const auto append = [&](std::uint64_t prime) {
        if (count > 0) {
            base[pos++] = ',';
            base[pos++] = ' ';
        }
        char digits[20];
        int length = 0;
        do {
            digits[length++] = char('0' + prime % 10);
            prime /= 10;
        } while (prime > 0);
        while (length > 0) {
            base[pos++] = digits[--length];
        }
        ++count;
    };

    // Odd primes below the square root of the last number.
    constexpr std::uint32_t kRoot = 46341;
    std::vector<std::uint32_t> basePrimes;
    std::vector<bool> composite(kRoot + 1);
    for (std::uint32_t p = 3; p <= kRoot; p += 2) {
        if (!composite[p]) {
            basePrimes.push_back(p);
            for (std::uint64_t m = std::uint64_t(p) * p; m <= kRoot; m += 2 * p) {
                composite[m] = true;
            }
        }
    }
    // Segments of odd numbers: byte i stands for low + 2 i.
    constexpr std::uint64_t kSegment = 1 << 18;
    std::vector<unsigned char> marks(kSegment);
    append(2);
    for (std::uint64_t low = 3; low <= kLastNumber; low += 2 * kSegment) {
        const std::uint64_t high = std::min(low + 2 * kSegment, kLastNumber + 2);  // exclusive
        const std::uint64_t odds = (high - low) / 2;
        std::memset(marks.data(), 0, odds);
        for (const std::uint32_t p : basePrimes) {
            std::uint64_t first = std::uint64_t(p) * p;
            if (first >= high) {
                break;
            }
            if (first < low) {
                first = (low + p - 1) / p * p;
                if (first % 2 == 0) {
                    first += p;
                }
            }
            for (std::uint64_t m = (first - low) / 2; m < odds; m += p) {
                marks[m] = 1;
            }
        }
        for (std::uint64_t i = 0; i < odds; ++i) {
            if (!marks[i]) {
                append(low + 2 * i);
                if (targetBytes && pos - kHeaderRoom >= targetBytes) {
                    goto done;
                }
            }
        }
    }
done:
    const std::string header = "Total de " + std::to_string(count) + " números primos: ";
    const std::size_t start = kHeaderRoom - header.size();
    std::memcpy(base + start, header.data(), header.size());
    out.resize(pos);
    out.erase(0, start);
    return out;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// One wrapping pass over the whole text on this thread, in CPU time (the machine is shared, so
// wall-clock figures above include waiting for a core).
void wrapPass(const tavix::ui::ResultView& view) {
    tavix::ui::CharWidths widths(tavix::ui::LayoutFont::of(view.font()));
    const tavix::ui::LineBreaker lines(view.text(), widths, view.lineWidth());
    const double start = threadCpuSeconds();
    std::size_t pos = 0;
    long long count = 1;
    for (tavix::ui::LineSpan line = lines.line(0); !line.last; line = lines.line(pos)) {
        pos = line.next;
        ++count;
    }
    const double seconds = threadCpuSeconds() - start;
    std::printf("one wrapping pass, CPU time           %9.3f ms (%.2f ns/byte, %lld lines)\n",
                seconds * 1e3, seconds * 1e9 / double(view.text().size()), count);
}

void press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(widget, &up);
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

void run(tavix::ui::ResultView& view, const char* name, std::size_t targetBytes) {
    QElapsedTimer timer;
    timer.start();
    std::string text = primeListing(targetBytes);
    const double generation = double(timer.elapsed());
    const std::size_t size = text.size();
    std::printf("\n== %s: %zu bytes (%.1f MB), \"%.40s...\" (built in %.0f ms)\n", name, size,
                megabytes(double(size)), text.c_str(), generation);
    const long rssText = statusKilobytes("VmRSS:");

    QElapsedTimer sinceSet;
    sinceSet.start();
    const double firstPaint = timed(view, [&] { view.setText(std::move(text)); });
    std::printf("setText + first paint                 %9.3f ms (CPU %.3f ms)\n", firstPaint,
                lastCpuMilliseconds);
    const double earlyEnd = timed(view, [&] { press(&view, Qt::Key_End, Qt::ControlModifier); });
    std::printf("Ctrl+End + paint, layout still going  %9.3f ms (CPU %.3f ms, end shown: %s)\n",
                earlyEnd, lastCpuMilliseconds, view.visibleLines().back().last ? "yes" : "no");
    view.waitForLayout();
    const double layout = double(sinceSet.nsecsElapsed()) / 1e6;
    std::printf("layout complete after setText         %9.3f ms (%lld lines)\n", layout,
                static_cast<long long>(view.lineCount()));
    QCoreApplication::processEvents();
    std::printf("Ctrl+Home + paint                     %9.3f ms\n",
                timed(view, [&] { press(&view, Qt::Key_Home, Qt::ControlModifier); }));
    const double end = timed(view, [&] { press(&view, Qt::Key_End, Qt::ControlModifier); });
    std::printf("Ctrl+End + paint                      %9.3f ms (top line %lld)\n", end,
                static_cast<long long>(view.firstVisibleLine()));
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
    std::printf("Ctrl+A + paint                        %9.3f ms\n",
                timed(view, [&] { press(&view, Qt::Key_A, Qt::ControlModifier); }));
    press(&view, Qt::Key_Home, Qt::ControlModifier);

    const QSize size0 = view.size();
    sinceSet.restart();
    std::printf("resize (rewrap) + first paint         %9.3f ms\n",
                timed(view, [&] { view.resize(size0.width() - 120, size0.height()); }));
    std::printf("Ctrl+End + paint after the resize     %9.3f ms\n",
                timed(view, [&] { press(&view, Qt::Key_End, Qt::ControlModifier); }));
    view.waitForLayout();
    std::printf("rewrap complete                       %9.3f ms (%lld lines)\n",
                double(sinceSet.nsecsElapsed()) / 1e6, static_cast<long long>(view.lineCount()));
    view.resize(size0);
    view.waitForLayout();
    QCoreApplication::processEvents();
    wrapPass(view);

    std::printf("line index                            %9.3f MB (%.4f%% of the text)\n",
                megabytes(double(view.layoutMemoryUse())),
                100.0 * double(view.layoutMemoryUse()) / double(size));
    const long rss = statusKilobytes("VmRSS:");
    std::printf("RSS with the text built / in the view %9.1f MB / %.1f MB (view adds %.1f MB)\n",
                rssText / 1024.0, rss / 1024.0, (rss - rssText) / 1024.0);
    std::printf("peak RSS so far                       %9.1f MB\n",
                statusKilobytes("VmHWM:") / 1024.0);
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
        sizes = {"20M", "200M", "full"};
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
        if (size == "20M") {
            run(view, "20 MB", 20'000'000);
        } else if (size == "200M") {
            run(view, "200 MB", 200'000'000);
        } else if (size == "full") {
            run(view, "0 to 2147483647", 0);
        } else {
            std::fprintf(stderr, "unknown size %s (20M, 200M, full)\n", size.c_str());
            return 2;
        }
    }
    return 0;
}
