// The about window with a title bar of its own, as on a Wayland desktop that leaves the title
// bars to the programs: its frame, the controls at their places below the bar, the tab order
// and the close box.
#include "ui/desktop/title_bar.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>

#include "support/qt_helpers.hpp"
#include "ui/beep.hpp"
#include "ui/frm_about.hpp"

using tavix::ui::frmAbout;
using tavix::ui::desktop::kTitleBarHeight;

namespace {

// The window's own controls, in creation order: without what the title bar adds, nor the
// focus mark, which follows the focus wherever it lies.
QList<QWidget*> ownControls(const QWidget& window) {
    QList<QWidget*> controls;
    for (QObject* child : window.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        const QString name = widget != nullptr ? widget->objectName() : QString();
        if (widget != nullptr && name != "titleBar" && name != "windowEdge" &&
            name != "focusMark") {
            controls << widget;
        }
    }
    return controls;
}

}  // namespace

class TitleBarTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsKeepTheirPlacesBelowTheBar() {
        frmAbout desktops(frmAbout::TitleBar::Desktop);
        frmAbout own(frmAbout::TitleBar::Own);
        QVERIFY(own.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!(desktops.windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(own.size(), desktops.size() + QSize(0, kTitleBarHeight));
        QCOMPARE(own.minimumSize(), own.maximumSize());

        const QList<QWidget*> expected = ownControls(desktops);
        const QList<QWidget*> moved = ownControls(own);
        QCOMPARE(moved.size(), expected.size());
        for (qsizetype i = 0; i < moved.size(); ++i) {
            QCOMPARE(moved[i]->objectName(), expected[i]->objectName());
            QCOMPARE(moved[i]->geometry(), expected[i]->geometry().translated(0, kTitleBarHeight));
        }
        const auto* bar = own.findChild<QWidget*>("titleBar");
        QVERIFY(bar);
        QCOMPARE(bar->geometry(), QRect(0, 0, own.width(), kTitleBarHeight));
    }

    void theCloseBoxClosesWithoutBeepOutOfTheTabOrder() {
        QPointer<frmAbout> about = new frmAbout(frmAbout::TitleBar::Own);
        QVERIFY(tavix::testing::showActive(about));
        auto* close = about->findChild<QAbstractButton*>("closeBox");
        QVERIFY(close);
        QCOMPARE(close->accessibleName(), QStringLiteral("Fechar"));
        QVERIFY(about->findChild<QWidget*>("titleBar")->geometry().contains(close->geometry()));

        // Tab goes round the window's own controls, as without the bar.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
        QCOMPARE(tavix::testing::focusOrder(6),
                 QStringLiteral("picIcon lblEmail lblLink3 lblLink2 lblLink1 cmdOK"));

        // A click on the close box leaves the focus where it was and closes the window.
        const int beeps = tavix::ui::beepCount();
        QTest::mousePress(close, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
        QTest::mouseRelease(close, Qt::LeftButton);
        QTRY_VERIFY(about.isNull());
        QCOMPARE(tavix::ui::beepCount(), beeps);
    }
};

QTEST_MAIN(TitleBarTest)
#include "title_bar_test.moc"
