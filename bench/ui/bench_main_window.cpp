// Timing of the prime listing in the real main window, as the user meets it: the interval
// typed into "De:" and "Até:", Enter pressed in "Até:", and the clock stopped when the result
// area has painted the new result; then Ctrl+End in the result area until its last line is
// painted, right away, half a second later and once the background wrap has finished; then
// the whole result saved to a file. Each run is a fresh process (the first listing of a
// process is the one that counts), and reports its own peak memory after the listing, after
// the background work and after the save.
//
//   tavix_window_bench [--runs N] [--folder DIR] [small] [full]
//
// small: 0 to 10000000; full: 0 to 2147483647 (both when neither is given; 3 runs; the save
// goes to DIR, /tmp by default, and is removed). Needs a display (tools/with-display.sh), or
// QT_QPA_PLATFORM=offscreen.
//
// A run fails, and no figure is recorded, when a message box comes up, when anything waited
// for takes longer than a minute, or when the result or the saved file is not of the expected
// size; the benchmark then exits with status 1.
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
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
#include "ui/result/result_view.hpp"
#include "ui/result/save_dialog.hpp"

namespace {

using tavix::testing::control;
using tavix::testing::statusKilobytes;
using tavix::testing::type;
using tavix::ui::frmTavix;
using tavix::ui::ResultView;

constexpr char kChild[] = "--child";
constexpr int kTimeoutMilliseconds = 60000;

struct Interval {
    const char* name;
    const char* first;
    const char* last;
    std::uint64_t bytes;  // the size the result must have
};

constexpr Interval kIntervals[] = {
    {"small", "0", "10000000", 5891726},
    {"full", "0", "2147483647", 1203807730},
};

// Exits the run at once, with no figure, saying why.
[[noreturn]] void fail(const QString& why) {
    std::printf("!! %s\n", qPrintable(why));
    std::fflush(stdout);
    std::_Exit(1);
}

void figure(const char* name, double value) {
    std::printf("%s\t%.6f\n", name, value);
    std::fflush(stdout);
}

double peakMegabytes() {
    return double(statusKilobytes("VmHWM:")) / 1024.0;
}

// One run in this process.
class Run {
  public:
    explicit Run(const Interval& interval) : interval_(interval) {
        window_.show();
        window_.activateWindow();
        if (!QTest::qWaitForWindowActive(&window_)) {
            fail(QStringLiteral("the window did not become active"));
        }
        txtIni_ = control<QLineEdit>(window_, "txtIni");
        txtN_ = control<QLineEdit>(window_, "txtN");
        txt_ = control<ResultView>(window_, "txt");
        QObject::connect(txt_, &ResultView::painted, [this] {
            if (waitingForPaint_ && paintWanted_()) {
                waitingForPaint_ = false;
                paintedAt_ = clock_.nsecsElapsed();
            }
        });
        // A listing that ends in a message box is not a listing: the run fails.
        messageWatch_.setInterval(20);
        QObject::connect(&messageWatch_, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                fail(QStringLiteral("message box: ") + box->text());
            }
        });
        messageWatch_.start();
        // Assistive technology is looked for once the window is up.
        QTest::qWait(300);
    }

    void listing(const QString& folder) {
        type(txtIni_, interval_.first);
        type(txtN_, interval_.last);
        txtN_->setFocus();
        settle();

        const double painted = untilPainted([&] { QTest::keyClick(txtN_, Qt::Key_Return); },
                                            [this] { return txt_->text().size() > 0; });
        if (txt_->text().size() != interval_.bytes) {
            fail(QStringLiteral("the result has %1 bytes, not %2")
                     .arg(txt_->text().size())
                     .arg(interval_.bytes));
        }
        figure("enter to first screen", painted);
        figure("peak MB after the listing", peakMegabytes());

        txt_->setFocus();
        const bool doneAtFirstEnd = txt_->isLayoutComplete();
        figure("ctrl+end right after", ctrlEnd());
        if (doneAtFirstEnd) {
            std::printf("(the wrap had finished before the first Ctrl+End)\n");
        }
        QTest::qWait(500);
        figure("ctrl+end half a second later", ctrlEnd());

        QElapsedTimer wrap;
        wrap.start();
        while (!txt_->isLayoutComplete()) {
            if (wrap.elapsed() > kTimeoutMilliseconds) {
                fail(QStringLiteral("the wrap did not finish within a minute"));
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        figure("wrap left after the first screen", double(wrap.nsecsElapsed()) / 1e9);
        settle();
        figure("ctrl+end with the wrap done", ctrlEnd());
        figure("lines", double(txt_->lineCount()));
        figure("peak MB after the background work", peakMegabytes());

        const QString file = QDir(folder).filePath(QStringLiteral("tavix-bench-primos.txt"));
        QElapsedTimer save;
        save.start();
        QString failure;
        const bool saved = tavix::ui::saveResultTo(
            &window_, txt_->sharedText(), file,
            [&failure](const QString& text, tavix::ui::ResultMessageKind) { failure = text; });
        const double seconds = double(save.nsecsElapsed()) / 1e9;
        const qint64 size = QFileInfo(file).size();
        QFile::remove(file);
        if (!saved || std::uint64_t(size) != interval_.bytes) {
            fail(QStringLiteral("the saved file has %1 bytes, not %2 %3")
                     .arg(size)
                     .arg(interval_.bytes)
                     .arg(failure));
        }
        figure("save", seconds);
        figure("peak MB after the save", peakMegabytes());
    }

  private:
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

    bool lastLineShown() {
        const std::vector<tavix::ui::LineSpan> lines = txt_->visibleLines();
        return !lines.empty() && lines.back().last;
    }

    double ctrlEnd() {
        QTest::keyClick(txt_, Qt::Key_Home, Qt::ControlModifier);
        settle();
        return untilPainted([&] { QTest::keyClick(txt_, Qt::Key_End, Qt::ControlModifier); },
                            [this] { return lastLineShown(); });
    }

    // Runs `action`, then the event loop until the result area paints with `wanted` true.
    // Returns the seconds from the start of `action` to that paint.
    double untilPainted(const std::function<void()>& action, const std::function<bool()>& wanted) {
        paintWanted_ = wanted;
        waitingForPaint_ = false;
        clock_.start();
        action();
        waitingForPaint_ = true;
        while (waitingForPaint_) {
            if (clock_.elapsed() > kTimeoutMilliseconds) {
                fail(QStringLiteral("no paint within a minute"));
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return double(paintedAt_) / 1e9;
    }

    const Interval& interval_;
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

int child(int argc, char** argv, const Interval& interval, const QString& folder) {
    QApplication app(argc, argv);
    std::printf("platform %s, %u hardware threads, accessibility %s\n",
                qPrintable(QGuiApplication::platformName()), std::thread::hardware_concurrency(),
                QAccessible::isActive() ? "active" : "inactive");
    Run run(interval);
    run.listing(folder);
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    QString folder = QStringLiteral("/tmp");
    std::vector<const Interval*> chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == kChild && i + 2 < argc) {
            for (const Interval& interval : kIntervals) {
                if (interval.name == std::string(argv[i + 1])) {
                    return child(argc, argv, interval, QString::fromLocal8Bit(argv[i + 2]));
                }
            }
            return 2;
        }
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--folder" && i + 1 < argc) {
            folder = QString::fromLocal8Bit(argv[++i]);
        } else if (const auto* found =
                       std::find_if(std::begin(kIntervals), std::end(kIntervals),
                                    [&](const Interval& interval) { return arg == interval.name; });
                   found != std::end(kIntervals)) {
            chosen.push_back(found);
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--folder DIR] [small] [full]\n", argv[0]);
            return 2;
        }
    }
    if (chosen.empty()) {
        chosen = {&kIntervals[0], &kIntervals[1]};
    }
    QCoreApplication app(argc, argv);
    bool failed = false;
    for (const Interval* interval : chosen) {
        std::map<std::string, std::vector<double>> figures;
        std::vector<std::string> order;
        for (int r = 0; r < runs; ++r) {
            std::printf("%s to %s, run %d (a fresh process)\n", interval->first, interval->last,
                        r + 1);
            std::fflush(stdout);
            QProcess run;
            run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            run.start(QCoreApplication::applicationFilePath(),
                      {QString::fromLatin1(kChild), QString::fromLatin1(interval->name), folder});
            const bool finished = run.waitForFinished(10 * kTimeoutMilliseconds);
            const QString output = QString::fromUtf8(run.readAllStandardOutput());
            if (!finished || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0) {
                std::printf("%s!! the run failed: no figure recorded\n", qPrintable(output));
                failed = true;
                continue;
            }
            for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
                const QStringList parts = line.split(u'\t');
                if (parts.size() != 2) {
                    std::printf("  %s\n", qPrintable(line));
                    continue;
                }
                const std::string name = parts[0].toStdString();
                if (!figures.count(name)) {
                    order.push_back(name);
                }
                figures[name].push_back(parts[1].toDouble());
            }
        }
        std::printf("\n== %s to %s: %zu bytes; median (min to max) of %zu runs\n", interval->first,
                    interval->last, std::size_t(interval->bytes),
                    figures.empty() ? 0 : figures[order[0]].size());
        for (const std::string& name : order) {
            const std::vector<double>& values = figures[name];
            const auto [low, high] = std::minmax_element(values.begin(), values.end());
            std::printf("%-36s %12.3f  (%.3f to %.3f)\n", name.c_str(), median(values), *low,
                        *high);
        }
        std::printf("\n");
    }
    return failed ? 1 : 0;
}
