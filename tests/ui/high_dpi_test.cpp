// The windows at scale factors 1.5 and 2 (QT_SCALE_FACTOR), and where they first appear.
//
// A scale factor is read once when the program starts, so each one runs in a child process
// (this executable again, with kScaledChild as its argument): the child paints both windows
// and writes what it measured as "name<TAB>value" lines, which the parent checks.
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <vector>

#include "support/qt_helpers.hpp"
#include "ui/desktop/window_placement.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_tavix.hpp"

using tavix::testing::addRow;
using tavix::testing::control;
using tavix::testing::inGrab;
using tavix::testing::report;

namespace {

constexpr char kScaledChild[] = "--scaled-child";

bool ink(QRgb pixel) {
    return qGray(pixel) < 128;
}

// The top (part 0) or the bottom (part 1) of a range of rows written "top-bottom".
int bound(const QString& range, int part) {
    return range.section(QChar('-'), part, part).toInt();
}

// The runs of rows of `area` that hold ink: the text lines drawn there, top and bottom.
std::vector<std::pair<int, int>> inkRows(const QImage& image, const QRect& area) {
    std::vector<std::pair<int, int>> runs;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool any = false;
        for (int x = area.left(); x <= area.right() && !any; ++x) {
            any = ink(image.pixel(x, y));
        }
        if (any && !runs.empty() && runs.back().second == y - 1) {
            runs.back().second = y;
        } else if (any) {
            runs.emplace_back(y, y);
        }
    }
    return runs;
}

// Whether the ink of `area` looks drawn at the screen's own density rather than enlarged
// from half as many pixels: an enlarged picture is made of uniform 2 x 2 blocks.
bool drawnAtFullDensity(const QImage& image, const QRect& area) {
    int mixed = 0;
    for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2) {
        for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
            const QRgb a = image.pixel(x, y);
            mixed += a != image.pixel(x + 1, y) || a != image.pixel(x, y + 1) ||
                     a != image.pixel(x + 1, y + 1);
        }
    }
    return mixed > 20;
}

int measureScaled(int argc, char** argv) {
    QApplication app(argc, argv);
    tavix::ui::frmTavix window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return 1;
    }
    tavix::testing::showListingAndTable(window);
    const QImage grab = window.grab().toImage();
    const qreal ratio = grab.devicePixelRatio();
    report("ratio", QString::number(ratio));
    report("size", QStringLiteral("%1x%2").arg(grab.width()).arg(grab.height()));

    // The rule: the columns of the grab it darkens, half-way down.
    const QRect rule = inGrab(control(window, "lneFat"), &window, grab);
    QStringList ruleColumns;
    for (int x = rule.left() - 3; x <= rule.right() + 3; ++x) {
        if (ink(grab.pixel(x, rule.center().y()))) {
            ruleColumns << QString::number(x);
        }
    }
    report("rule columns", ruleColumns.join(QChar(' ')));
    report("factors left edge",
           QString::number(inGrab(control(window, "lblFator"), &window, grab).left()));

    // The rows of the two factor columns, top and bottom of each line's ink.
    for (const char* name : {"lblNumFat", "lblFator"}) {
        // (the rule lies on the left edge of the factors' column)
        const QRect area = inGrab(control(window, name), &window, grab).adjusted(4, 0, -4, 0);
        QStringList rows;
        for (auto [top, bottom] : inkRows(grab, area)) {
            rows << QStringLiteral("%1-%2").arg(top).arg(bottom);
        }
        report(name, rows.join(QChar(' ')));
    }
    // The rows of the table a screen reader reviews, in the same device pixels.
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(control(window, "tblFat"))->tableInterface();
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QRect cell = table->cellAt(row, 0)->rect();
        const QPoint top = window.mapFromGlobal(cell.topLeft());
        cells << QStringLiteral("%1-%2")
                     .arg(qFloor(top.y() * ratio))
                     .arg(qCeil((top.y() + cell.height()) * ratio) - 1);
    }
    report("table rows", cells.join(QChar(' ')));
    for (const char* name : {"lblDe", "txt", "txtV", "cmdCalc"}) {
        const QRect area = inGrab(control(window, name), &window, grab).adjusted(4, 4, -4, -4);
        report(name, drawnAtFullDensity(grab, area) ? QStringLiteral("dense")
                                                    : QStringLiteral("enlarged"));
    }

    // The pointer over the result: a double-click on "19" selects it; a press before "23"
    // dragged past "29" selects "23, 29". Places are found from the ink on the screen and the
    // font's advances, in the window's own pixels.
    auto* result = control<QAbstractScrollArea>(window, "txt");
    QWidget* viewport = result->viewport();
    const QImage shown = viewport->grab().toImage();
    const QRect firstLines(0, 0, shown.width(), int(40 * ratio));
    const auto lines = inkRows(shown, firstLines);
    int firstInk = shown.width();
    for (int y = lines.empty() ? 0 : lines.front().first;
         !lines.empty() && y <= lines.front().second; ++y) {
        for (int x = 0; x < firstInk; ++x) {
            if (ink(shown.pixel(x, y))) {
                firstInk = x;
            }
        }
    }
    if (lines.empty()) {
        return 1;
    }
    const QString text = QStringLiteral("Total de 6 números primos: 11, 13, 17, 19, 23, 29");
    const QFontMetricsF metrics(result->font());
    const qreal left = firstInk / ratio;
    const int middle = qRound((lines.front().first + lines.front().second) / 2.0 / ratio);
    auto xOf = [&](const QString& word, qreal within) {
        const int at = text.indexOf(word);
        return qRound(left + metrics.horizontalAdvance(text.left(at)) +
                      within * metrics.horizontalAdvance(word));
    };
    auto selected = [&] {
        QAccessibleTextInterface* accessible =
            QAccessible::queryAccessibleInterface(result)->textInterface();
        int start = 0;
        int end = 0;
        accessible->selection(0, &start, &end);
        return accessible->text(start, end);
    };
    QTest::mouseDClick(viewport, Qt::LeftButton, {},
                       QPoint(xOf(QStringLiteral("19"), 0.5), middle));
    report("double-click", selected());
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(xOf(QStringLiteral("23"), 0.1), middle));
    QTest::mouseMove(viewport, QPoint(xOf(QStringLiteral("29"), 0.9), middle));
    QTest::mouseRelease(viewport, Qt::LeftButton, {},
                        QPoint(xOf(QStringLiteral("29"), 0.9), middle));
    report("drag", selected());

    const QPixmap windowIcon = window.windowIcon().pixmap(QSize(100, 100), ratio);
    report("window icon", QStringLiteral("%1x%2").arg(windowIcon.width()).arg(windowIcon.height()));
    window.cmdHelp_Click();
    tavix::ui::frmAbout* about = tavix::ui::aboutWindow();
    if (about == nullptr || !QTest::qWaitForWindowExposed(about)) {
        return 1;
    }
    const QPixmap picture = control<QLabel>(*about, "picIcon")->pixmap();
    report("about icon", QStringLiteral("%1x%2 at %3")
                             .arg(picture.width())
                             .arg(picture.height())
                             .arg(picture.devicePixelRatio()));
    return 0;
}

}  // namespace

class HighDpiTest : public QObject {
    Q_OBJECT

  private slots:
    void scaledWindows_data() {
        QTest::addColumn<QString>("factor");
        addRow("1.5", "1.5");
        addRow("2", "2");
    }

    // Everything scales with the window: the rule stays on the left edge of the factors'
    // column, the two columns' rows side by side, the texts drawn at the screen's density,
    // the icons from pictures with as many pixels as the screen shows.
    void scaledWindows() {
        QFETCH(QString, factor);
        const double ratio = factor.toDouble();
        const auto [status, output] =
            tavix::testing::runChild(kScaledChild, {{QStringLiteral("QT_SCALE_FACTOR"), factor}});
        QVERIFY2(status == 0, qPrintable(output));
        auto values = tavix::testing::reported(output);

        QCOMPARE(values["ratio"].toDouble(), ratio);
        QCOMPARE(values["size"],
                 QStringLiteral("%1x%2").arg(qRound(1015 * ratio)).arg(qRound(595 * ratio)));

        // The rule: a solid line as wide as one pixel of the window at this scale, its left
        // edge on the factors' column's left edge.
        const QStringList columns = values["rule columns"].split(QChar(' '), Qt::SkipEmptyParts);
        QVERIFY2(!columns.isEmpty(), "the rule is not drawn");
        QCOMPARE(columns.first(), values["factors left edge"]);
        QVERIFY2(columns.size() == qCeil(ratio) || columns.size() == qFloor(ratio),
                 qPrintable(values["rule columns"]));

        // Row by row, the quotients and the factors of 360 share their lines.
        const QStringList quotients = values["lblNumFat"].split(QChar(' '), Qt::SkipEmptyParts);
        const QStringList factors = values["lblFator"].split(QChar(' '), Qt::SkipEmptyParts);
        QCOMPARE(quotients.size(), 7);  // 360 180 90 45 15 5 1
        QCOMPARE(factors.size(), 6);    // 2 2 2 3 3 5
        for (int row = 0; row < factors.size(); ++row) {
            const QString both = quotients[row] + QStringLiteral(" / ") + factors[row];
            QVERIFY2(std::abs(bound(quotients[row], 1) - bound(factors[row], 1)) <= 1,
                     qPrintable(both));
            QVERIFY2(std::abs(bound(quotients[row], 0) - bound(factors[row], 0)) <= qCeil(ratio),
                     qPrintable(both));  // "1" is shorter than "3"
        }

        // Each row a screen reader reviews holds the row drawn there, whole.
        const QStringList cells = values["table rows"].split(QChar(' '), Qt::SkipEmptyParts);
        QCOMPARE(cells.size(), quotients.size());
        for (int row = 0; row < cells.size(); ++row) {
            QVERIFY2(bound(cells[row], 0) <= bound(quotients[row], 0) &&
                         bound(quotients[row], 1) <= bound(cells[row], 1),
                     qPrintable(cells[row] + QStringLiteral(" / ") + quotients[row]));
        }

        QCOMPARE(values["double-click"], QStringLiteral("19"));
        QCOMPARE(values["drag"], QStringLiteral("23, 29"));

        if (ratio == 2) {
            for (const char* name : {"lblDe", "txt", "txtV", "cmdCalc"}) {
                QVERIFY2(values[name] == QLatin1String("dense"), name);
            }
        }
        const int devicePixels = qRound(100 * ratio);
        QCOMPARE(values["window icon"], QStringLiteral("%1x%1").arg(devicePixels));
        QCOMPARE(values["about icon"], QStringLiteral("%1x%1 at %2").arg(devicePixels).arg(ratio));
    }

    // The first placement centres the window with its frame, whatever the frame and the
    // screen; a window larger than the screen keeps its title bar on it.
    void centredWithItsFrame_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QPoint>("clientTopLeft");
        const QMargins openbox(1, 20, 1, 5);
        const QRect screen(0, 0, 1280, 1024);
        addRow("no frame", screen, QMargins(), QPoint(132, 214));
        addRow("openbox's frame", screen, openbox, QPoint(132, 222));
        addRow("thick, even frame", screen, QMargins(8, 8, 8, 8), QPoint(132, 214));
        addRow("panel at the top", QRect(0, 30, 1280, 994), openbox, QPoint(132, 237));
        addRow("second screen", QRect(1280, 0, 1920, 1080), openbox, QPoint(1732, 250));
        addRow("small screen", QRect(0, 0, 800, 600), openbox, QPoint(1, 20));
    }

    void centredWithItsFrame() {
        QFETCH(QRect, area);
        QFETCH(QMargins, frame);
        QFETCH(QPoint, clientTopLeft);
        const QRect client = tavix::ui::centredClientRect(area, QSize(1015, 595), frame);
        QCOMPARE(client, QRect(clientTopLeft, QSize(1015, 595)));
    }
};

int main(int argc, char** argv) {
    return tavix::testing::testMain<HighDpiTest>(argc, argv, kScaledChild, measureScaled);
}

#include "high_dpi_test.moc"
