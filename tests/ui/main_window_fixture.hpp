// What the main window's tests share: the window, opened afresh for each test, and the ways a
// user reaches it (keys, the focus, the buttons Enter presses, the message boxes).
#pragma once

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

#include "support/qt_helpers.hpp"
#include "ui/frm_tavix.hpp"

namespace tavix::testing {

inline bool hourglassShown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// The main window, noting at every write whether the hourglass was showing, and every
// pointer the computations asked for.
class ObservedWindow : public ui::frmTavix {
  public:
    std::vector<bool> hourglassAtWrite;
    std::vector<Pointer> pointers;

    void setPointer(Pointer pointer) override {
        pointers.push_back(pointer);
        frmTavix::setPointer(pointer);
    }
    void setBoxText(TextBox box, std::string text) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setBoxText(box, std::move(text));
    }
    void setResultText(ResultTextPtr text) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setResultText(std::move(text));
    }
    void setCaption(FactorColumn column, std::string caption) override {
        hourglassAtWrite.push_back(hourglassShown());
        frmTavix::setCaption(column, std::move(caption));
    }
};

// Closes every message box as soon as it is up, noting what it showed.
class MessageCatcher {
  public:
    struct Seen {
        QString title, text, accessibleDescription;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        bool modal;
        bool hourglass;
        QWidget* parent;
    };
    std::vector<Seen> seen;

  private:
    MessageBoxAnswerer answerer_{[this](QMessageBox& box) {
        seen.push_back({box.windowTitle(), box.text(), box.accessibleDescription(), box.icon(),
                        box.standardButtons(), box.isModal(), hourglassShown(),
                        box.parentWidget()});
    }};
};

// The base of a main window test: opens the window before each test (`open` from `init`) and
// closes it, and whatever it opened, after (`close` from `cleanup`).
class MainWindowFixture {
  protected:
    std::unique_ptr<ObservedWindow> window;

    bool open() {
        window = std::make_unique<ObservedWindow>();
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }
    // True when the hourglass went with the window.
    bool close() {
        // Whatever "?" opened goes with the window, as it does when the program ends.
        for (QWidget* other : QApplication::topLevelWidgets()) {
            if (other != window.get() && other->isVisible()) {
                other->close();
            }
        }
        window.reset();
        return QGuiApplication::overrideCursor() == nullptr;
    }

    template <typename T = QWidget>
    T* control(const char* name) const {
        return testing::control<T>(*window, name);
    }
    QString focused() const {
        QWidget* focus = window->focusWidget();
        return focus ? focus->objectName() : QString();
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    // Types `keys` into the focused control, one key each, letters beyond ASCII included.
    static void type(const QString& keys) {
        for (QChar key : keys) {
            if (key.unicode() < 0x80) {
                QTest::keyClick(QApplication::focusWidget(), char(key.unicode()));
            } else {
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                    QString(key), Qt::NoModifier);
            }
        }
    }
    void focusAndFill(const char* name, const QString& text) {
        auto* box = control<QLineEdit>(name);
        box->setFocus();
        box->setText(text);
    }
    // The names of the buttons that Enter presses as the default.
    QString defaults() const {
        QString names;
        for (const char* name : {"cmdCalc", "cmdV", "cmdFatorar", "cmdHelp"}) {
            if (control<QPushButton>(name)->isDefault()) {
                names += QString::fromLatin1(name);
            }
        }
        return names;
    }
    // How many times each button was pressed, as "1000": Calcular, Verificar, Fatorar, "?".
    struct Clicks {
        QSignalSpy calc, v, fatorar, help;
        explicit Clicks(const MainWindowFixture& t)
            : calc(t.control<QPushButton>("cmdCalc"), &QPushButton::clicked),
              v(t.control<QPushButton>("cmdV"), &QPushButton::clicked),
              fatorar(t.control<QPushButton>("cmdFatorar"), &QPushButton::clicked),
              help(t.control<QPushButton>("cmdHelp"), &QPushButton::clicked) {}
        QString pressed() const {
            return QString::number(calc.count()) + QString::number(v.count()) +
                   QString::number(fatorar.count()) + QString::number(help.count());
        }
    };
};

}  // namespace tavix::testing
