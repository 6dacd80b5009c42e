// Timing of the prime listing in the real main window, as the user meets it: the interval
// typed into "De:" and "Até:", Enter pressed in "Até:", and the clock stopped when the result
// area has painted the new result; then Ctrl+End in the result area until its last line is
// painted, once while the background wrap is still going and once after it has finished.
// Ends with the peak memory of the whole process.
//
//   tavix_window_bench [--runs N] [small] [full]   (both intervals, 3 runs, when not given)
//
// small: 0 to 10000000; full: 0 to 2147483647. Needs a display (tools/with-display.sh), or
// QT_QPA_PLATFORM=offscreen.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "support/process_memory.hpp"
#include "support/qt_helpers.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/result_view.hpp"

namespace {

using tavix::testing::control;
using tavix::testing::megabytes;
using tavix::testing::statusKilobytes;
using tavix::testing::type;
using tavix::ui::frmTavix;
using tavix::ui::ResultView;

struct Interval {
    const char* name;
    const char* first;
    const char* last;
};

constexpr Interval kSmall{"small", "0", "10000000"};
constexpr Interval kFull{"full", "0", "2147483647"};

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

class Bench {
  public:
    Bench() {
        window_.show();
        window_.activateWindow();
        if (!QTest::qWaitForWindowActive(&window_)) {
            std::printf("warning: the window did not become active\n");
        }
        txtIni_ = control<QLineEdit>(window_, "txtIni");
        txtN_ = control<QLineEdit>(window_, "txtN");
        txt_ = control<ResultView>(window_, "txt");
        QObject::connect(txt_, &ResultView::painted, [this] {
            if (waitingForPaint_ && (!paintWanted_ || paintWanted_())) {
                waitingForPaint_ = false;
                paintedAt_ = clock_.nsecsElapsed();
            }
        });
        // A listing that ends in a message box would wait for the user: close it, and say so.
        messageWatch_.setInterval(50);
        QObject::connect(&messageWatch_, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                std::printf("!! message box: %s\n", qPrintable(box->text()));
                box->accept();
            }
        });
        messageWatch_.start();
    }

    // One run of an interval: figures in seconds, by name.
    std::map<std::string, double> run(const Interval& interval) {
        std::map<std::string, double> figures;
        type(txtIni_, interval.first);
        type(txtN_, interval.last);
        txtN_->setFocus();
        settle();

        const double listing = timedUntilPaint([&] { QTest::keyClick(txtN_, Qt::Key_Return); },
                                               [this] { return !txt_->text().empty(); },
                                               &figures["enter to painted result"]);
        figures["enter to listing done"] = listing;
        const bool layoutDoneAtEnd = txt_->isLayoutComplete();
        const std::string_view text = txt_->text();
        std::printf("  %zu bytes (%.1f MB): \"%.*s...\"\n", text.size(),
                    megabytes(double(text.size())), int(std::min<std::size_t>(text.size(), 44)),
                    text.data());

        txt_->setFocus();
        settle();
        const bool layoutDoneAtCtrlEnd = txt_->isLayoutComplete();
        timedUntilPaint([&] { QTest::keyClick(txt_, Qt::Key_End, Qt::ControlModifier); },
                        [this] { return lastLineShown(); }, &figures["ctrl+end, wrap going"]);
        if (layoutDoneAtCtrlEnd) {
            figures.erase("ctrl+end, wrap going");
            std::printf("  (the wrap had already finished at the first Ctrl+End)\n");
        }

        QElapsedTimer wrap;
        wrap.start();
        txt_->waitForLayout();
        figures["wrap left after ctrl+end"] = double(wrap.nsecsElapsed()) / 1e9;
        settle();
        QTest::keyClick(txt_, Qt::Key_Home, Qt::ControlModifier);
        settle();
        timedUntilPaint([&] { QTest::keyClick(txt_, Qt::Key_End, Qt::ControlModifier); },
                        [this] { return lastLineShown(); }, &figures["ctrl+end, wrap done"]);
        std::printf("  wrap finished when the result was shown: %s; %lld lines\n",
                    layoutDoneAtEnd ? "yes" : "no", static_cast<long long>(txt_->lineCount()));
        std::printf("  RSS now %.1f MB, peak so far %.1f MB\n", statusKilobytes("VmRSS:") / 1024.0,
                    peakKilobytes() / 1024.0);
        return figures;
    }

  private:
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

    bool lastLineShown() const {
        const std::vector<tavix::ui::LineSpan> lines = txt_->visibleLines();
        return !lines.empty() && lines.back().last;
    }

    // Runs `action`, then the event loop until the result area paints with `wanted` true.
    // Returns the seconds `action` took; *painted gets the seconds up to that paint.
    double timedUntilPaint(const std::function<void()>& action, const std::function<bool()>& wanted,
                           double* painted) {
        paintWanted_ = wanted;
        waitingForPaint_ = false;
        clock_.start();
        action();
        const qint64 actionDone = clock_.nsecsElapsed();
        waitingForPaint_ = true;
        while (waitingForPaint_ && clock_.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (waitingForPaint_) {
            std::printf("!! no paint within a minute\n");
            waitingForPaint_ = false;
            paintedAt_ = clock_.nsecsElapsed();
        }
        *painted = double(paintedAt_) / 1e9;
        return double(actionDone) / 1e9;
    }

    frmTavix window_;
    QLineEdit* txtIni_ = nullptr;
    QLineEdit* txtN_ = nullptr;
    ResultView* txt_ = nullptr;
    QTimer messageWatch_;
    QElapsedTimer clock_;
    bool waitingForPaint_ = false;
    std::function<bool()> paintWanted_;
    qint64 paintedAt_ = 0;
};

void report(const Interval& interval, const std::vector<std::map<std::string, double>>& runs) {
    std::printf("\n== %s to %s: median of %zu runs (each run)\n", interval.first, interval.last,
                runs.size());
    const char* order[] = {"enter to listing done", "enter to painted result",
                           "ctrl+end, wrap going", "wrap left after ctrl+end",
                           "ctrl+end, wrap done"};
    for (const char* name : order) {
        std::vector<double> values;
        for (const auto& figures : runs) {
            if (auto found = figures.find(name); found != figures.end()) {
                values.push_back(found->second);
            }
        }
        if (values.empty()) {
            continue;
        }
        std::printf("%-26s %9.3f s  (", name, median(values));
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::printf("%s%.3f", i ? " " : "", values[i]);
        }
        std::printf(")\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int runs = 3;
    std::vector<Interval> intervals;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "small") {
            intervals.push_back(kSmall);
        } else if (arg == "full") {
            intervals.push_back(kFull);
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [small] [full]\n", argv[0]);
            return 2;
        }
    }
    if (intervals.empty()) {
        intervals = {kSmall, kFull};
    }
    Bench bench;
    // Assistive technology is looked for once the window is up.
    QTest::qWait(500);
    std::printf("platform %s, %u hardware threads, accessibility %s\n",
                qPrintable(QGuiApplication::platformName()), std::thread::hardware_concurrency(),
                QAccessible::isActive() ? "active" : "inactive");
    for (const Interval& interval : intervals) {
        std::vector<std::map<std::string, double>> results;
        for (int r = 0; r < runs; ++r) {
            std::printf("%s to %s, run %d\n", interval.first, interval.last, r + 1);
            results.push_back(bench.run(interval));
        }
        report(interval, results);
    }
    std::printf("\npeak RSS of the process (ru_maxrss)  %.1f MB\n", peakKilobytes() / 1024.0);
    return 0;
}
