// The about window in-process: its controls, closing it, one instance, its links and its
// hold on the activation.
#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTest>
#include <QUrl>

#include <cstdlib>

#include "support/qt_helpers.hpp"
#include "ui/beep.hpp"
#include "ui/desktop/desktop_link.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/window_look.hpp"

using tavix::testing::addRow;
using tavix::ui::frmAbout;

// A control of the about window, by its name.
template <typename T>
T* on(const frmAbout* about, const char* name) {
    return tavix::testing::control<T>(*about, name);
}

// Receives what the links hand to the desktop, so that no browser or mail program starts.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class AboutWindowTest : public QObject {
    Q_OBJECT

    UrlCatcher catcher_;
    QPointer<QWidget> main_;

    // Opens the about window with a click on "?" in the main window, from the number box.
    frmAbout* open() {
        if (!main_) {
            main_ = new tavix::ui::frmTavix;
            if (!tavix::testing::showActive(main_)) {
                return nullptr;
            }
        }
        main_->findChild<QWidget*>("txtV")->setFocus();
        QTest::mouseClick(main_->findChild<QWidget*>("cmdHelp"), Qt::LeftButton);
        frmAbout* about = tavix::ui::aboutWindow();
        if (about == nullptr || !QTest::qWaitForWindowActive(about)) {
            return nullptr;
        }
        return about;
    }

  private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher_, "open");
    }

    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }

    void cleanup() {
        delete tavix::ui::aboutWindow();  // none, or the one left open
        delete main_;
        catcher_.urls.clear();
    }

    void windowSettings() {
        frmAbout* about = open();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("Sobre o Tavix"));
        QCOMPARE(about->parentWidget(), nullptr);
        QCOMPARE(about->size(), QSize(407, 257));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        const Qt::WindowFlags flags = about->windowFlags();
        QCOMPARE(about->windowType(), Qt::Dialog);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!about->isModal());
        QVERIFY(!about->windowIcon().isNull());
        QCOMPARE(about->windowIcon().availableSizes().value(0), QSize(100, 100));
        const QPoint screenCentre = about->screen()->availableGeometry().center();
        QVERIFY((about->frameGeometry().center() - screenCentre).manhattanLength() <= 4);
    }

    void controlsInStackingOrder() {
        frmAbout* about = open();
        QVERIFY(about);
        QStringList names;
        for (QObject* child : about->children()) {
            if (child->isWidgetType()) {
                names << child->objectName();
            }
        }
        // Later controls lie over earlier ones, except that the white member of Line1 lies under
        // the grey one; the focus mark lies over them all.
        const QStringList expected = {"picIcon",    "cmdOK",         "lblLink1",       "lblLink2",
                                      "lblLink3",   "lblSites",      "lblContato",     "lblEmail",
                                      "Line1",      "Line1",         "lblDescription", "lblTitle",
                                      "lblVersion", "lblDisclaimer", "focusMark"};
        QCOMPARE(names, expected);
        // The white member is the wider one.
        const QList<QWidget*> lines =
            about->findChildren<QWidget*>(QStringLiteral("Line1"), Qt::FindDirectChildrenOnly);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0]->height(), 2);
        QCOMPARE(lines[1]->height(), 1);
        QCOMPARE(about->children().indexOf(lines[0]) + 1, about->children().indexOf(lines[1]));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("link");
        const int left = Qt::AlignLeft | Qt::AlignTop;
        addRow("cmdOK", "cmdOK", "Ok", false, false, 0, false);
        addRow("lblLink1", "lblLink1", "www.tavix.example", false, true, left, true);
        addRow("lblLink2", "lblLink2", "docs.tavix.example", false, true, left, true);
        addRow("lblLink3", "lblLink3", "forum.tavix.example", false, true, left, true);
        addRow("lblSites", "lblSites", "Meus Sites:", true, false, left, false);
        addRow("lblContato", "lblContato", "Contato:", true, false, left, false);
        addRow("lblEmail", "lblEmail", "contato@tavix.example", false, true, left, true);
        addRow("lblDescription", "lblDescription", "", false, false,
               int(Qt::AlignHCenter | Qt::AlignTop), false);
        addRow("lblTitle", "lblTitle", "Tavix", true, false, left, false);
        addRow("lblVersion", "lblVersion", "v1.0", true, false, left, false);
        addRow("lblDisclaimer", "lblDisclaimer", "", false, false, left, false);
    }

    // Where a user finds each control: the icon at the top left; to its right the title, the
    // version and the description one under another; then "Contato:" with the e-mail link and
    // "Meus Sites:" with the third, second and first site one under another; the separator; at
    // the bottom the note on the left and "Ok" on the right. All whole within the window.
    void arrangement() {
        frmAbout* about = open();
        QVERIFY(about);
        auto at = [about](const char* name) { return on<QWidget>(about, name)->geometry(); };
        for (const QList<const char*>& column :
             {QList<const char*>{"picIcon", "lblContato", "lblSites", "Line1", "lblDisclaimer"},
              {"lblTitle", "lblVersion", "lblDescription", "lblEmail", "lblLink3", "lblLink2",
               "lblLink1", "Line1", "cmdOK"}}) {
            for (int i = 1; i < column.size(); ++i) {
                QVERIFY2(at(column[i - 1]).top() < at(column[i]).top(), column[i]);
            }
        }
        for (auto [leftOne, rightOne] : {std::pair{"picIcon", "lblTitle"},
                                         {"lblContato", "lblEmail"},
                                         {"lblSites", "lblLink3"},
                                         {"lblDisclaimer", "cmdOK"}}) {
            QVERIFY2(at(leftOne).right() <= at(rightOne).left(), rightOne);
            QVERIFY2(leftOne == QLatin1String("picIcon") || at(leftOne).top() == at(rightOne).top(),
                     rightOne);
        }
        for (QWidget* control : about->findChildren<QWidget*>()) {
            QVERIFY2(about->rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
        }
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFETCH(bool, underline);
        QFETCH(int, alignment);
        QFETCH(bool, link);

        frmAbout* about = open();
        QVERIFY(about);
        auto* control = about->findChild<QWidget*>(name);
        QVERIFY(control);
        QVERIFY(control->isVisible());
        // What a screen reader says of it: a label's own text first; links are links.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        const QString shown = name == QLatin1String("lblDescription")
                                  ? on<QLabel>(about, "lblDescription")->text()
                                  : text;
        QCOMPARE(accessible->text(QAccessible::Name).left(shown.size()), shown);
        QCOMPARE(accessible->role() == QAccessible::Link, link);

        const QFont font = control->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pointSizeF(), 9.75);
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.underline(), underline);
        QVERIFY(!font.italic());

        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
            QVERIFY(button->isDefault());
            return;
        }
        auto* label = qobject_cast<QLabel*>(control);
        QVERIFY(label);
        if (name != QLatin1String("lblDescription")) {
            QCOMPARE(label->text(), text);
        }
        QCOMPARE(int(label->alignment()), alignment);
        QCOMPARE(label->focusPolicy(), link ? Qt::TabFocus : Qt::NoFocus);
        // Links are marked by the underline alone.
        QCOMPARE(label->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(qobject_cast<tavix::ui::ClickableLabel*>(label) != nullptr, link);
    }

    void textColours() {
        // A desktop whose ordinary text is light, as in a dark theme.
        const QPalette desktop = QApplication::palette();
        const auto restore = qScopeGuard([desktop] { QApplication::setPalette(desktop); });
        const QColor ordinary(0xdd, 0xe1, 0xe6);
        QPalette dark = desktop;
        dark.setColor(QPalette::WindowText, ordinary);
        QApplication::setPalette(dark);
        frmAbout* about = open();
        QVERIFY(about);
        // On the window's own light ground every text is black, whatever the desktop says.
        for (const char* name :
             {"lblLink1", "lblLink2", "lblLink3", "lblEmail", "lblSites", "lblContato",
              "lblVersion", "lblDescription", "lblTitle", "lblDisclaimer"}) {
            QCOMPARE(on<QLabel>(about, name)->palette().color(QPalette::WindowText),
                     QColor(Qt::black));
        }
    }

    void descriptionFitsItsLabel() {
        frmAbout* about = open();
        QVERIFY(about);
        QLabel* description = on<QLabel>(about, "lblDescription");
        QVERIFY(description->wordWrap());
        QVERIFY(description->text().contains(QStringLiteral("primos")));
        const int lines = description->heightForWidth(description->width()) /
                          QFontMetrics(description->font()).lineSpacing();
        QVERIFY2(lines >= 3 && lines <= 4, qPrintable(QString::number(lines)));
        QVERIFY(description->heightForWidth(description->width()) <= description->height());
    }

    // The two members of Line1 share their coordinates: the grey line shows, the wider white
    // one shows as a highlight below it. The grey is darker than the classic 128 so that the
    // line stands out 4.5:1 on the fixed dialog background.
    void separatorIsGreyOverWhite() {
        frmAbout* about = open();
        QVERIFY(about);
        const QImage image = about->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        auto at = [&](int x, int y) { return image.pixelColor(int(x * ratio), int(y * ratio)); };
        for (int x : {8, 200, 399}) {
            QCOMPARE(at(x, 216), QColor(0x69, 0x69, 0x69));
            QCOMPARE(at(x, 217), QColor(Qt::white));
        }
        // Around it, the window's own light grey.
        const QColor dialog(240, 240, 240);
        QCOMPARE(at(7, 216), dialog);
        QCOMPARE(at(200, 218), dialog);
        // The icon: 100 x 100 pixels inside a sunken two-pixel border.
        QCOMPARE(on<QLabel>(about, "picIcon")->contentsRect(), QRect(2, 2, 100, 100));
        QCOMPARE(on<QLabel>(about, "picIcon")->pixmap().size(), QSize(100, 100));
    }

    void focusStartsOnOkAndStaysOffLabels() {
        frmAbout* about = open();
        QVERIFY(about);
        QCOMPARE(QApplication::focusWidget(), on<QPushButton>(about, "cmdOK"));
        // "?" left the main window's focus in the first number box.
        QCOMPARE(main_->focusWidget(), main_->findChild<QWidget*>("txtIni"));
        // Tab: "Ok", the icon, then the links, and round again; Shift+Tab the other way.
        QCOMPARE(tavix::testing::focusOrder(6),
                 QStringLiteral("picIcon lblEmail lblLink3 lblLink2 lblLink1 cmdOK"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("lblLink1"));
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        }
        QCOMPARE(QApplication::focusWidget(), on<QLabel>(about, "picIcon"));
        // Clicking labels leaves the focus where it was.
        QTest::mouseClick(on<QLabel>(about, "lblTitle"), Qt::LeftButton);
        QTest::mouseClick(on<QLabel>(about, "lblLink1"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), on<QLabel>(about, "picIcon"));
    }

    void keysAndClicksClose_data() {
        QTest::addColumn<bool>("onIcon");
        QTest::addColumn<int>("key");  // 0: a mouse click on "Ok"
        addRow("Enter on Ok", false, int(Qt::Key_Return));
        addRow("keypad Enter on Ok", false, int(Qt::Key_Enter));
        addRow("Esc on Ok", false, int(Qt::Key_Escape));
        addRow("Space on Ok", false, int(Qt::Key_Space));
        addRow("click on Ok", false, 0);
        addRow("Enter on the icon", true, int(Qt::Key_Return));
        addRow("keypad Enter on the icon", true, int(Qt::Key_Enter));
        addRow("Esc on the icon", true, int(Qt::Key_Escape));
        addRow("Esc on a link", true, -int(Qt::Key_Escape));
    }

    void keysAndClicksClose() {
        QFETCH(bool, onIcon);
        QFETCH(int, key);
        QPointer<frmAbout> about = open();
        QVERIFY(about);
        if (onIcon) {
            on<QLabel>(about, key < 0 ? "lblEmail" : "picIcon")->setFocus();
            key = std::abs(key);
        }
        const int beeps = tavix::ui::beepCount();
        if (key == 0) {
            QTest::mouseClick(on<QPushButton>(about, "cmdOK"), Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QTRY_VERIFY(about.isNull());
        QCOMPARE(tavix::ui::aboutWindow(), nullptr);
        QTRY_VERIFY(main_->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), main_->findChild<QWidget*>("txtIni"));
        QCOMPARE(tavix::ui::beepCount(), beeps);
    }

    void oneWindowAtMost() {
        frmAbout* first = open();
        QVERIFY(first);
        on<QLabel>(first, "picIcon")->setFocus();
        tavix::ui::openAboutWindow();
        QCOMPARE(tavix::ui::aboutWindow(), first);
        int count = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            count += qobject_cast<frmAbout*>(window) != nullptr ? 1 : 0;
        }
        QCOMPARE(count, 1);

        // After closing, the next opening makes a new window, with "Ok" focused again.
        QPointer<frmAbout> closed = first;
        first->cmdOK_Click();
        QTRY_VERIFY(closed.isNull());
        frmAbout* second = open();
        QVERIFY(second);
        QCOMPARE(QApplication::focusWidget(), on<QPushButton>(second, "cmdOK"));
    }

    void linksHandTheirTargetToTheDesktop_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("target");
        addRow("e-mail", "lblEmail", "mailto:contato@tavix.example");
        addRow("first site", "lblLink1", "https://www.tavix.example/");
        addRow("second site", "lblLink2", "https://docs.tavix.example/");
        addRow("third site", "lblLink3", "https://forum.tavix.example/");
    }

    void linksHandTheirTargetToTheDesktop() {
        QFETCH(QString, name);
        QFETCH(QString, target);
        frmAbout* about = open();
        QVERIFY(about);
        auto* label = about->findChild<QLabel*>(name);
        QVERIFY(label);
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(catcher_.urls.size(), 1);
        QCOMPARE(catcher_.urls.first().toString(), target);
        QCOMPARE(tavix::ui::aboutWindow(), about);
        QVERIFY(about->isActiveWindow());

        // From the keyboard: Enter, keypad Enter and Space on the focused link open it; Esc still
        // closes the window.
        label->setFocus(Qt::TabFocusReason);
        QTest::keyClick(label, Qt::Key_Return);
        QTest::keyClick(label, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(label, Qt::Key_Space);
        QCOMPARE(catcher_.urls.size(), 4);
        QCOMPARE(catcher_.urls.last().toString(), target);
        QCOMPARE(tavix::ui::aboutWindow(), about);
        label->clearFocus();
        catcher_.urls.clear();
        catcher_.urls << QUrl(target);

        // A press that is released away from the label is no click.
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, label->height() + 20));
        QTest::mouseClick(label, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(catcher_.urls.size(), 1);
    }

    void otherControlsDoNothingWhenClicked() {
        frmAbout* about = open();
        QVERIFY(about);
        const int beeps = tavix::ui::beepCount();
        for (const char* name : {"lblSites", "lblContato", "lblTitle", "lblVersion",
                                 "lblDescription", "lblDisclaimer", "picIcon"}) {
            QWidget* control = on<QWidget>(about, name);
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(3, 3));
            QVERIFY2(catcher_.urls.isEmpty(), qPrintable(control->objectName()));
        }
        QCOMPARE(tavix::ui::aboutWindow(), about);
        QVERIFY(about->isActiveWindow());
        QCOMPARE(tavix::ui::beepCount(), beeps);
    }

    void doubleClickOpensOnce_data() { linksHandTheirTargetToTheDesktop_data(); }

    // A double-click on a link, as the window system delivers it (two presses close together in
    // time and place), opens its target once; a further click later opens it again.
    void doubleClickOpensOnce() {
        QFETCH(QString, name);
        frmAbout* about = open();
        QVERIFY(about);
        auto* label = about->findChild<QLabel*>(name);
        QVERIFY(label);
        QWindow* window = about->windowHandle();
        const QPoint at = label->mapTo(about, QPoint(5, 5));
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
        QTest::qWait(10);
        QCOMPARE(catcher_.urls.size(), 1);
        // Well after the double-click interval: a new click.
        QTest::mouseClick(window, Qt::LeftButton, {}, at,
                          QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
        QCOMPARE(catcher_.urls.size(), 2);
        QCOMPARE(tavix::ui::aboutWindow(), about);
    }

    void shellCallArguments_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<bool>("handedOver");
        const char* const site = "https://www.tavix.example/";
        addRow("default action", "", site, "", true);
        addRow("open", "open", "mailto:contato@tavix.example", "", true);
        addRow("other verb", "print", site, "", false);
        addRow("parameters", "", site, "-x", false);
        addRow("no scheme", "", "www.tavix.example", "", false);
        addRow("empty", "", "", "", false);
    }

    void shellCallArguments() {
        QFETCH(QString, operation);
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        QFETCH(bool, handedOver);
        const auto result =
            tavix::ui::ShellExecuteA(0, operation.toStdString(), file.toStdString(),
                                     parameters.toStdString(), "", tavix::ui::SW_HIDE);
        QCOMPARE(result > 32, handedOver);
        QCOMPARE(catcher_.urls.size(), handedOver ? 1 : 0);
        if (handedOver) {
            QCOMPARE(catcher_.urls.first().toString(), file);
        }
    }

    void activatingAnotherWindowBeepsAndTakesActivationBack() {
        frmAbout* about = open();
        QVERIFY(about);
        on<QLabel>(about, "picIcon")->setFocus();
        for (int round = 1; round <= 2; ++round) {
            const int beeps = tavix::ui::beepCount();
            main_->activateWindow();
            QTRY_COMPARE(tavix::ui::beepCount(), beeps + 1);
            QTRY_VERIFY(about->isActiveWindow());
            QTest::qWait(50);
            QCOMPARE(tavix::ui::beepCount(), beeps + 1);
            QCOMPARE(QApplication::focusWidget(),
                     on<QLabel>(about, "picIcon"));  // its last focused control
        }
    }

    void closingReturnsToTheOpenerWithoutBeep() {
        QPointer<frmAbout> about = open();
        QVERIFY(about);
        const int beeps = tavix::ui::beepCount();
        about->close();  // the close box
        QTRY_VERIFY(about.isNull());
        QTRY_VERIFY(main_->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), main_->findChild<QWidget*>("txtIni"));
        QTest::qWait(50);
        QCOMPARE(tavix::ui::beepCount(), beeps);

        // Closing the main window while the about window is open sounds nothing either.
        about = open();
        QVERIFY(about);
        main_->close();
        QTest::qWait(50);
        QCOMPARE(tavix::ui::beepCount(), beeps);
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
