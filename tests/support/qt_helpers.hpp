// What the window tests and benchmarks share: finding a control by its name, typing into a
// number box, and answering the message boxes the computations bring up.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

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

// Types `digits` into an emptied box, key by key.
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

}  // namespace tavix::testing
