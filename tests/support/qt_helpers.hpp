// What the window tests and benchmarks share: finding a control by its name, showing a window,
// typing into a number box, answering the message boxes the computations bring up, rows of
// test data, where a control lies in a grab, and running this test again in a process of its
// own.
#pragma once

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace tavix::testing {

// The control of `window` with this object name; the test stops when there is none.
template <typename T = QWidget>
T* control(const QObject& window, const char* name) {
    auto* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}

// Shows `window` and waits for it to become the active window.
inline bool showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Types `digits` into an emptied box, key by key.
// The object names the focus passes through as `key` is pressed `presses` times.
inline QString focusOrder(int presses, Qt::Key key = Qt::Key_Tab) {
    QStringList order;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        order << QApplication::focusWidget()->objectName();
    }
    return order.join(' ');
}

inline void type(QLineEdit* box, const char* digits) {
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, QString::fromLatin1(digits));
}

// Watches for message boxes while it lives: each one that comes up is handed to `seen`, as it
// stands, and then closed with Enter as a user would.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(std::function<void(QMessageBox&)> seen, int intervalMs = 5)
        : seen_(std::move(seen)) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) {
                return;
            }
            seen_(*box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        timer_.start();
    }

  private:
    std::function<void(QMessageBox&)> seen_;
    QTimer timer_;
};

// Lists 10 to 30 and factors 360 in the main window `window`: text in every box and a table.
template <typename MainWindow>
void showListingAndTable(MainWindow& window) {
    for (auto [name, text] : {std::pair{"txtIni", "10"}, {"txtN", "30"}, {"txtV", "360"}}) {
        control<QLineEdit>(window, name)->setText(QString::fromLatin1(text));
    }
    window.cmdCalc_Click();
    window.cmdFatorar_Click();
}

// A row of test data, its columns in order; a text given as UTF-8 is a QString column.
template <typename... Columns>
void addRow(const char* tag, const Columns&... columns) {
    auto asColumn = [](const auto& value) {
        if constexpr (std::is_convertible_v<decltype(value), const char*>) {
            return QString::fromUtf8(value);
        } else {
            return value;
        }
    };
    QTestData& row = QTest::newRow(tag);
    ((row << asColumn(columns)), ...);
}

// `widget`'s rectangle in the device pixels of a grab of its window `window`, shrunk by
// `inset` of the window's pixels (to leave out frames and bevels).
inline QRect inGrab(const QWidget* widget, const QWidget* window, const QImage& grab,
                    int inset = 0) {
    const QRect r = QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())
                        .adjusted(inset, inset, -inset, -inset);
    const qreal ratio = grab.devicePixelRatio();
    return {qRound(r.x() * ratio), qRound(r.y() * ratio), qRound(r.width() * ratio),
            qRound(r.height() * ratio)};
}

// For what the program reads once when it starts (the scale factor, the language): runs this
// test's executable again with `argument`, on the offscreen platform, with `environment`
// added to its own, and returns its exit code and what it wrote. Its main() hands that
// argument to the code that makes the measures.
inline std::pair<int, QString> runChild(const char* argument,
                                        const std::vector<std::pair<QString, QString>>& environment,
                                        const QStringList& unset = {}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unset) {
        env.remove(name);
    }
    for (const auto& [name, value] : environment) {
        env.insert(name, value);
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(argument)});
    if (!child.waitForFinished(60000)) {
        return {-1, QStringLiteral("no end")};
    }
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    return {child.exitCode(), child.exitCode() == 0
                                  ? output
                                  : output + QString::fromUtf8(child.readAllStandardError())};
}

// What a child process measured, written one "name<TAB>value" line each for its parent to
// read back with `reported`.
inline void report(const char* name, const QString& value) {
    std::printf("%s\t%s\n", name, value.toUtf8().constData());
    std::fflush(stdout);
}

inline QMap<QString, QString> reported(const QString& output) {
    QMap<QString, QString> values;
    for (const QString& line : output.split(QChar('\n'), Qt::SkipEmptyParts)) {
        values[line.section(QChar('\t'), 0, 0)] = line.section(QChar('\t'), 1);
    }
    return values;
}

// The main() of a test whose executable also serves as its own child process: given
// `argument` first, it runs `child` instead of the tests.
template <typename Test>
int testMain(int argc, char** argv, const char* argument, int (*child)(int, char**)) {
    if (argc > 1 && std::strcmp(argv[1], argument) == 0) {
        return child(argc, argv);
    }
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace tavix::testing
