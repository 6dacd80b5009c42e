// Large listings through the real main window: a multi-megabyte result in the result area,
// the whole range in a process allowed little more memory than it holds, and a listing that
// runs out of memory.
//
// The low-memory cases run in a child process (this executable again, with kLowMemoryChild
// as its argument) under a lowered address-space limit; the child writes what it saw as
// "name<TAB>value" lines, which the parent checks.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QtTest>

#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "support/listing_reference.hpp"
#include "support/process_memory.hpp"
#include "support/qt_helpers.hpp"
#include "ui/frm_tavix.hpp"
#include "ui/result/result_view.hpp"
#include "ui/result/result_view_test_access.hpp"

using tavix::testing::control;
using tavix::testing::MessageBoxAnswerer;
using tavix::testing::report;
using tavix::testing::showActive;
using tavix::testing::type;
using tavix::testing::virtualMemoryBytes;
using tavix::ui::frmTavix;
using tavix::ui::ResultView;
using tavix::ui::ResultViewTestAccess;

namespace {

constexpr char kLowMemoryChild[] = "--low-memory-child";

// Address space the child may use beyond what it has when the window is up: room for the
// listing's counts, its threads and a message box, a twentieth of the 1.2 GB text of the
// primes up to 2147483647.
constexpr rlim_t kHeadroom = rlim_t{64} << 20;
// A stretch of that text whose paste would take more than that room.
constexpr std::size_t kLargeCopy = std::size_t{48} << 20;

// The main window, noting what passes between the listing and the result area. Memory held
// back with `ballast` is let go when a listing returns the pointer to the default: the
// failed listing has given its memory back by then, so the message box has room.
class WatchedWindow : public frmTavix {
  public:
    mutable int resultReads = 0;
    tavix::ResultTextPtr lastResult;  // the last text written to txt
    std::vector<std::unique_ptr<char[]>> ballast;

    std::string text(tavix::TextBox box) const override {
        resultReads += box == tavix::TextBox::txt;
        return frmTavix::text(box);
    }
    void setResultText(tavix::ResultTextPtr text) override {
        lastResult = text;
        frmTavix::setResultText(std::move(text));
    }
    void setPointer(tavix::Pointer pointer) override {
        if (pointer == tavix::Pointer::Default) {
            ballast.clear();
        }
        frmTavix::setPointer(pointer);
    }

    // Takes all the memory there is to take in pieces of 64 KiB or more: what is left serves
    // the small needs of a key press, not a listing's sieve.
    void takeAllMemory() {
        for (std::size_t piece = std::size_t{1} << 20; piece >= (std::size_t{64} << 10);
             piece /= 4) {
            try {
                for (;;) {
                    ballast.emplace_back(new char[piece]);  // reserved, never touched
                }
            } catch (const std::bad_alloc&) {
            }
        }
    }
};

// The start of the result: the whole of a short one.
QString resultStart(ResultView& view) {
    return QString::fromStdString(view.bytes(0, 200));
}

// The child: the window under a memory limit: the whole range, a copy too large to paste,
// a listing that runs out of memory, then a small listing.
int lowMemoryChild(int argc, char** argv) {
    QApplication app(argc, argv);
    WatchedWindow window;
    if (!showActive(&window)) {
        report("error", QStringLiteral("the window did not become active"));
        return 1;
    }
    auto* txtIni = control<QLineEdit>(window, "txtIni");
    auto* txtN = control<QLineEdit>(window, "txtN");
    auto* txt = control<ResultView>(window, "txt");

    const rlim_t limit = virtualMemoryBytes() + kHeadroom;
    const rlimit lowered{limit, limit};
    if (setrlimit(RLIMIT_AS, &lowered) != 0) {
        report("error",
               QStringLiteral("setrlimit: %1").arg(QString::fromLocal8Bit(strerror(errno))));
        return 1;
    }
    report("limit", QStringLiteral("%1 MiB").arg(limit >> 20));

    // Every message box: noted as it stands when it comes up, then closed.
    int messages = 0;
    MessageBoxAnswerer closer([&](QMessageBox& box) {
        if (++messages == 1) {
            report("message", box.text());
            report("title", box.windowTitle());
            report("icon", QString::number(int(box.icon())));
            report("hourglass", QGuiApplication::overrideCursor() ? QStringLiteral("shown")
                                                                  : QStringLiteral("none"));
            QWidget* focus = window.focusWidget();
            report("focus", focus ? focus->objectName() : QString());
            report("txt at message", resultStart(*txt));
        }
    });

    // The whole range, in a twentieth of the memory its text would take.
    type(txtIni, "0");
    type(txtN, "2147483647");
    QTest::keyClick(txtN, Qt::Key_Return);
    report("messages after whole", QString::number(messages));
    report("txt after whole", resultStart(*txt).left(45));
    txt->setFocus();
    QTest::keyClick(txt, Qt::Key_End, Qt::ControlModifier);
    const std::vector<tavix::ui::LineSpan> end = txt->visibleLines();
    const std::string lastLine = end.empty() ? std::string() : txt->lineText(end.back());
    report("last line", QString::fromStdString(lastLine.substr(lastLine.rfind(", ") + 2)));

    // A copy whose paste needs more memory than there is: the paste gets nothing.
    txt->setSelection(0, kLargeCopy);
    txt->copy();
    report("paste", QString::number(QGuiApplication::clipboard()->text().size()));

    // Out of memory in the middle of a listing.
    window.setText(tavix::TextBox::txt, std::string());
    type(txtIni, "0");
    type(txtN, "1000000000");
    window.takeAllMemory();
    QTest::keyClick(txtN, Qt::Key_Return);
    report("messages", QString::number(messages));
    report("txt after", resultStart(*txt));

    type(txtIni, "10");
    type(txtN, "30");
    QTest::keyClick(txtN, Qt::Key_Return);
    report("messages after next", QString::number(messages));
    report("txt after next", resultStart(*txt));
    const std::vector<tavix::ui::LineSpan> lines = txt->visibleLines();
    report("lines after next", QString::number(lines.size()));
    report("shown after next",
           lines.empty() ? QString() : QString::fromStdString(txt->lineText(lines.front())));
    return 0;
}

}  // namespace

class LargeListingTest : public QObject {
    Q_OBJECT

  private slots:
    void multiMegabyteResult() {
        WatchedWindow window;
        QVERIFY(showActive(&window));
        auto* txtN = control<QLineEdit>(window, "txtN");
        auto* txt = control<ResultView>(window, "txt");

        type(control<QLineEdit>(window, "txtIni"), "0");
        type(txtN, "2000000");
        QTest::keyClick(txtN, Qt::Key_Return);
        const std::string expected = tavix::testing::listingBetween(0, 2000000);
        QVERIFY(expected.size() > 1'000'000);  // wrapped on the layout thread
        QVERIFY2(txt->text().toString() == expected,
                 "the result differs from a plain sieve's listing");
        QCOMPARE(QString::fromStdString(txt->bytes(0, 47)),
                 QStringLiteral("Total de 148933 números primos: 2, 3, 5, 7, 11"));
        QCOMPARE(window.focusWidget()->objectName(), QStringLiteral("txtIni"));
        // The text went into the area as the listing handed it over, made as it is read:
        // never read back, never made whole.
        QCOMPARE(window.resultReads, 0);
        QCOMPARE(window.lastResult.get(), &txt->text());
        QVERIFY(!txt->text().contiguous());

        // The end, right away and once the wrap is done: the last line holds the last prime,
        // and the lines in sight follow one another up to it.
        txt->setFocus();
        QTest::keyClick(txt, Qt::Key_End, Qt::ControlModifier);
        for (bool wrapped : {false, true}) {
            if (wrapped) {
                QTRY_VERIFY(txt->isLayoutComplete());
                QTRY_COMPARE(ResultViewTestAccess::firstVisibleLine(*txt),
                             txt->lineCount() - txt->fullyVisibleRows());
            }
            QTRY_VERIFY(!txt->visibleLines().empty() && txt->visibleLines().back().last);
            const std::vector<tavix::ui::LineSpan> lines = txt->visibleLines();
            QVERIFY(txt->lineText(lines.back()).ends_with(", 1999993"));
            for (std::size_t i = 1; i < lines.size(); ++i) {
                QCOMPARE(lines[i].start, lines[i - 1].next);
            }
            QCOMPARE(txt->cursorPosition(), expected.size());
        }

        // Select all and copy: the clipboard holds the result exactly.
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(txt, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(txt, Qt::Key_C, Qt::ControlModifier);
        QVERIFY2(QGuiApplication::clipboard()->text() == QString::fromStdString(expected),
                 "the clipboard differs from the result");

        // A new listing leaves the copy as it was.
        type(control<QLineEdit>(window, "txtIni"), "10");
        type(txtN, "30");
        QTest::keyClick(txtN, Qt::Key_Return);
        QCOMPARE(txt->text().toString(), "Total de 6 números primos: 11, 13, 17, 19, 23, 29");
        QVERIFY(QGuiApplication::clipboard()->text() == QString::fromStdString(expected));
    }

    // Under a memory limit: the whole range is listed in little memory; a paste too large
    // for it gets nothing; a listing that runs out of memory ends in the error report and
    // keeps the start it had written; the window goes on working.
    void lowMemory() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("the sanitizers' operator new aborts instead of throwing std::bad_alloc");
#endif
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kLowMemoryChild)});
        QVERIFY(child.waitForFinished(120000));
        const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
        QVERIFY2(
            child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
            qPrintable(QStringLiteral("child failed (%1): %2").arg(child.exitCode()).arg(errors)));
        auto seen = tavix::testing::reported(QString::fromUtf8(child.readAllStandardOutput()));
        QCOMPARE(seen.value("messages after whole"), QStringLiteral("0"));
        QCOMPARE(seen.value("txt after whole"),
                 QStringLiteral("Total de 105097565 números primos: 2, 3, 5, 7"));
        QCOMPARE(seen.value("last line"), QStringLiteral("2147483647"));
        QCOMPARE(seen.value("paste"), QStringLiteral("0"));

        QCOMPARE(seen.value("messages"), QStringLiteral("1"));
        QCOMPARE(seen.value("message"), QStringLiteral("Ocorreu um erro."));
        QCOMPARE(seen.value("title"), QStringLiteral("Tavix"));
        QCOMPARE(seen.value("icon"), QString::number(int(QMessageBox::Critical)));
        QCOMPARE(seen.value("hourglass"), QStringLiteral("none"));
        QCOMPARE(seen.value("focus"), QStringLiteral("txtIni"));
        // Where memory ran out decides whether the start was written yet; no count line.
        const QStringList kept{QString(), QStringLiteral("2, 3")};
        QVERIFY2(kept.contains(seen.value("txt at message")),
                 qPrintable(seen.value("txt at message")));
        QCOMPARE(seen.value("txt after"), seen.value("txt at message"));
        const QString next = QStringLiteral("Total de 6 números primos: 11, 13, 17, 19, 23, 29");
        QCOMPARE(seen.value("messages after next"), QStringLiteral("1"));
        QCOMPARE(seen.value("txt after next"), next);
        QCOMPARE(seen.value("shown after next"), next);
    }
};

int main(int argc, char** argv) {
    return tavix::testing::testMain<LargeListingTest>(argc, argv, kLowMemoryChild, lowMemoryChild);
}

#include "large_listing_test.moc"
