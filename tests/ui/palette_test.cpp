// Both windows readable on any desktop palette: light, dark and high contrast. Each window is
// painted under the palette and the contrast of what it painted is measured with the WCAG
// formula: texts on the windows' own light backgrounds, and texts in the boxes, the buttons
// and the result area, selection included.
#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

#include <cmath>
#include <memory>

#include "support/contrast.hpp"
#include "support/qt_helpers.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/window_look.hpp"

using tavix::testing::addRow;
using tavix::testing::commonestColour;
using tavix::testing::contrastRatio;
using tavix::testing::control;
using tavix::testing::inGrab;
using tavix::testing::kReadableContrast;
using tavix::testing::strongestContrast;
using tavix::ui::frmAbout;
using tavix::ui::frmTavix;

Q_DECLARE_METATYPE(QPalette)

namespace {

// A desktop palette from its few colours, every colour group alike.
QPalette desktopPalette(QColor window, QColor text, QColor base, QColor button, QColor highlight,
                        QColor highlightedText) {
    QPalette palette(text, button, button.lighter(130), button.darker(150), button.darker(120),
                     text, text, base, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlightedText);
    palette.setColor(QPalette::PlaceholderText, text);
    return palette;
}

const QColor kMainBackground(224, 224, 224);

// "lblDe: 1.98:1", for a failed contrast.
QString contrastReport(const char* name, double contrast) {
    return QStringLiteral("%1: %2:1").arg(QLatin1String(name)).arg(contrast, 0, 'f', 2);
}

}  // namespace

class PaletteTest : public QObject {
    Q_OBJECT

  private:
    QPalette startPalette_;
    std::unique_ptr<frmTavix> window_;

    // The main window, with a listing and a table, under the test row's desktop palette, given
    // before the window is made or, as when the desktop's theme changes while the program runs,
    // after it is on show.
    frmTavix* openMainWindow() {
        QFETCH(QPalette, palette);
        QFETCH(bool, changedAfterStart);
        if (!changedAfterStart) {
            QApplication::setPalette(palette);
        }
        window_ = std::make_unique<frmTavix>();
        if (!tavix::testing::showActive(window_.get())) {
            return nullptr;
        }
        tavix::testing::showListingAndTable(*window_);
        if (changedAfterStart) {
            QApplication::setPalette(palette);
            QCoreApplication::processEvents();  // the change reaches the widgets as an event
        }
        return window_.get();
    }

    // The about window, opened with a click on "?" and on show.
    static frmAbout* openAbout(frmTavix* window) {
        QTest::mouseClick(control(*window, "cmdHelp"), Qt::LeftButton);
        frmAbout* about = tavix::ui::aboutWindow();
        return about != nullptr && QTest::qWaitForWindowExposed(about) ? about : nullptr;
    }

  private slots:
    void initTestCase() {
        // Fusion draws from the palette alone, as the desktops' own styles do.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        startPalette_ = QApplication::palette();
    }
    void cleanup() {
        delete tavix::ui::aboutWindow();  // none, or the one left open
        window_.reset();
        QApplication::setPalette(startPalette_);
    }

    // The formula the windows mend their colours with, against values published with it.
    void contrastFormula_data() {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        const QColor white(Qt::white);
        addRow("black on white", QColor(Qt::black), white, 21.0);
        addRow("alike", QColor(224, 224, 224), QColor(224, 224, 224), 1.0);
        addRow("#767676 on white", QColor(0x76, 0x76, 0x76), white, 4.54);
        addRow("#777777 on white", QColor(0x77, 0x77, 0x77), white, 4.48);
        addRow("pure red on white", QColor(Qt::red), white, 4.0);
    }
    void contrastFormula() {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QVERIFY(std::abs(contrastRatio(a, b) - ratio) < 0.01);
        QVERIFY(std::abs(contrastRatio(b, a) - ratio) < 0.01);
    }

    // Mending a ground keeps its hue and goes no further than needed.
    void mendedGrounds() {
        const QColor fusionBlue(0x30, 0x8c, 0xc6);
        const QColor mended = tavix::ui::readableGround(fusionBlue, Qt::white);
        QVERIFY(contrastRatio(mended, Qt::white) >= kReadableContrast);
        QVERIFY(contrastRatio(mended, Qt::white) < kReadableContrast + 0.3);
        QVERIFY(std::abs(mended.hslHue() - fusionBlue.hslHue()) <= 2);
        QCOMPARE(tavix::ui::readableGround(Qt::white, Qt::black), QColor(Qt::white));
        QVERIFY(
            contrastRatio(tavix::ui::readableGround(QColor(200, 200, 200), QColor(150, 150, 150)),
                          QColor(150, 150, 150)) >= kReadableContrast);
    }

    void textsOnBothWindows_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("changedAfterStart");
        const QPalette light = QApplication::style()->standardPalette();
        const QPalette dark = desktopPalette({53, 53, 53}, {238, 238, 238}, {35, 35, 35},
                                             {60, 60, 60}, {21, 83, 158}, Qt::white);
        addRow("light", light, false);
        addRow("dark", dark, false);
        addRow("high contrast, white on black",
               desktopPalette(Qt::black, Qt::white, Qt::black, Qt::black, Qt::cyan, Qt::black),
               false);
        addRow("high contrast, black on white",
               desktopPalette(Qt::white, Qt::black, Qt::white, Qt::white, {0, 0, 128}, Qt::white),
               false);
        addRow("dark, switched to while running", dark, true);
    }

    // The texts drawn straight on the windows' fixed light backgrounds: the labels, the factor
    // columns and their rule, the about window's texts, links and separator.
    void textsOnBothWindows() {
        frmTavix* window = openMainWindow();
        QVERIFY(window);
        const QImage grab = window->grab().toImage();
        // The background between the controls.
        QCOMPARE(commonestColour(grab, QRect(0, 0, grab.width(), 2)), kMainBackground);
        QCOMPARE(commonestColour(grab, QRect(0, grab.height() - 2, grab.width(), 2)),
                 kMainBackground);
        auto readable = [](QWidget* top, const QImage& grab, const QColor& ground,
                           std::initializer_list<const char*> names) {
            for (const char* name : names) {
                const QRect area = inGrab(control(*top, name), top, grab);
                const double contrast = strongestContrast(grab, area, ground);
                QVERIFY2(contrast >= kReadableContrast, qPrintable(contrastReport(name, contrast)));
            }
        };
        readable(window, grab, kMainBackground, {"lblDe", "lblAte", "lblNumFat", "lblFator"});
        const QRect rule = inGrab(control(*window, "lneFat"), window, grab);
        QVERIFY(!rule.isEmpty());
        QVERIFY2(
            contrastRatio(grab.pixelColor(rule.center()), kMainBackground) >= kReadableContrast,
            "the rule");

        frmAbout* about = openAbout(window);
        QVERIFY(about);
        const QImage aboutGrab = about->grab().toImage();
        const QColor ground = commonestColour(aboutGrab, aboutGrab.rect());
        readable(about, aboutGrab, ground,
                 {"lblTitle", "lblVersion", "lblDescription", "lblContato", "lblEmail", "lblSites",
                  "lblLink1", "lblLink2", "lblLink3"});
        // The separator's grey line, against the background and the white line it lies on.
        const qreal ratio = aboutGrab.devicePixelRatio();
        const QColor separator = aboutGrab.pixelColor(int(200 * ratio), int(216 * ratio));
        QVERIFY2(contrastRatio(separator, ground) >= kReadableContrast, "separator");
        QVERIFY2(contrastRatio(separator, Qt::white) >= kReadableContrast, "separator on white");
    }

    void focusMarks_data() { textsOnBothWindows_data(); }

    // Every control that takes the focus is marked when it has it: a frame round it that stands
    // out 3:1 from the window's ground on each of its four sides.
    void focusMarks() {
        frmTavix* window = openMainWindow();
        QVERIFY(window);
        auto check = [](QWidget* top, const QColor& ground) {
            for (QWidget* widget : top->findChildren<QWidget*>()) {
                if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible() ||
                    widget->window() != top) {
                    continue;
                }
                widget->setFocus(Qt::TabFocusReason);
                const QImage grab = top->grab().toImage();
                const QRect mark = inGrab(widget, top, grab).adjusted(-2, -2, 2, 2);
                const QPoint centre = mark.center();
                double weakest = 21;
                for (QPoint side :
                     {QPoint(mark.left(), centre.y()), QPoint(mark.right(), centre.y()),
                      QPoint(centre.x(), mark.top()), QPoint(centre.x(), mark.bottom())}) {
                    weakest = std::min(weakest, contrastRatio(grab.pixelColor(side), ground));
                }
                const QString report = contrastReport(qPrintable(widget->objectName()), weakest);
                QVERIFY2(weakest >= 3.0, qPrintable(report));
            }
        };
        check(window, kMainBackground);
        frmAbout* about = openAbout(window);
        QVERIFY(about);
        check(about, about->palette().color(QPalette::Window));
    }

    void textsOnTheDesktopsColours_data() { textsOnBothWindows_data(); }

    // Boxes, buttons and the result area take the desktop's colours, and their texts are
    // readable on them: plain and selected.
    void textsOnTheDesktopsColours() {
        QFETCH(QPalette, palette);
        frmTavix* window = openMainWindow();
        QVERIFY(window);
        // `area` (in the grab's pixels) holds text on the desktop's `ground` colour, as near as
        // a style's shading allows (`tolerance`), and the text stands out from it.
        auto check = [&](const QImage& grab, QRect area, const QColor& ground, double tolerance,
                         const QString& what) {
            const QColor measuredGround = commonestColour(grab, area);
            const double contrast = strongestContrast(grab, area, measuredGround);
            const QString where = QStringLiteral("%1: %2:1 on %3 (desktop colour %4)")
                                      .arg(what)
                                      .arg(contrast, 0, 'f', 2)
                                      .arg(measuredGround.name(), ground.name());
            QVERIFY2(contrastRatio(measuredGround, ground) < tolerance, qPrintable(where));
            QVERIFY2(contrast >= kReadableContrast, qPrintable(where));
        };
        const QImage plain = window->grab().toImage();
        for (const char* box : {"txtN", "txtV", "txt"}) {
            check(plain, inGrab(control(*window, box), window, plain, 4),
                  palette.color(QPalette::Base), 1.2, QLatin1String(box));
        }
        // Styles shade their buttons a little.
        for (const char* button : {"cmdCalc", "cmdV", "cmdFatorar", "cmdHelp"}) {
            check(plain, inGrab(control(*window, button), window, plain, 6),
                  palette.color(QPalette::Button), 1.6, QLatin1String(button));
        }

        // Selected: the number in a box, and the whole result. Only the text itself is
        // selected: look at its width. Where the desktop's selection colours read poorly
        // together (Fusion's light palette: 3.7:1), the selection's ground is mended a little.
        auto textBand = [&](QWidget* widget, const QImage& grab, const QString& text) {
            const QRect inside = inGrab(widget, window, grab, 3);
            const QFontMetrics metrics(widget->font());
            const qreal ratio = grab.devicePixelRatio();
            return QRect(inside.x() + int(4 * ratio), inside.y() + int(2 * ratio),
                         int((metrics.horizontalAdvance(text) - 6) * ratio),
                         int((metrics.height() - 4) * ratio));
        };
        auto* box = control<QLineEdit>(*window, "txtIni");
        box->setFocus();
        box->selectAll();
        const QImage selectedBox = window->grab().toImage();
        check(selectedBox, textBand(box, selectedBox, box->text()),
              palette.color(QPalette::Highlight), 1.5, QStringLiteral("txtIni selected"));
        QWidget* result = control(*window, "txt");
        result->setFocus();
        QTest::keyClick(result, Qt::Key_A, Qt::ControlModifier);
        const QImage selectedResult = window->grab().toImage();
        check(selectedResult,
              textBand(result, selectedResult,
                       QStringLiteral("Total de 6 números primos: 11, 13, 17, 19, 23, 29")),
              palette.color(QPalette::Highlight), 1.5, QStringLiteral("txt selected"));
    }
};

QTEST_MAIN(PaletteTest)
#include "palette_test.moc"
