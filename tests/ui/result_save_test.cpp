// "Salvar como…" in the result area: the Portuguese dialog offering primos.txt in the user's
// documents folder, the file written exactly as shown, the progress with "Cancelar" for a long
// save, and a failure told to the window (here, to a sink) while an existing file stays as it
// was.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <sys/resource.h>

#include "result_view_fixture.hpp"
#include "ui/result/save_dialog.hpp"

namespace {

using tavix::ui::ResultMessageKind;

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Runs `handle` on the first modal window of type T that comes up within the time given.
template <typename T>
void whenModal(std::function<void(T&)> handle) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            if (window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                handle(*window);
            }
        }
    });
    timer->start();
}

}  // namespace

class ResultSaveTest : public QObject, ResultViewFixture {
    Q_OBJECT

  private:
    QTemporaryDir home;
    QString documents;
    QString earlier;  // a file that was there before every save
    // Only the earlier file in the documents folder, as it was.
    void expectUntouched() {
        QCOMPARE(contentsOf(earlier), QByteArray("antes\n"));
        QCOMPARE(QDir(documents).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("primos.txt")});
    }

  private slots:
    void initTestCase() {
        QVERIFY(home.isValid());
        // The user's folders are looked up under HOME each time.
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        documents = home.filePath(QStringLiteral("Documents"));
        QVERIFY(QDir().mkpath(documents));
    }

    void init() {
        earlier = QDir(documents).filePath(QStringLiteral("primos.txt"));
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("antes\n");
    }

    void cleanup() { view.reset(); }

    // Ctrl+S: Qt's own dialog (whatever the desktop), in Portuguese, offering primos.txt in the
    // documents folder; accepted, it replaces the file with the result.
    void ctrlSSavesWhereTheDialogSays() {
        const ResultTextPtr text = tavix::testing::listingText("0", "1000000");
        show(text);
        QCOMPARE(tavix::ui::defaultSavePath(), QDir(documents).filePath("primos.txt"));
        QStringList seen;
        whenModal<QFileDialog>([&seen](QFileDialog& dialog) {
            seen << dialog.windowTitle()
                 << QString::number(dialog.testOption(QFileDialog::DontUseNativeDialog))
                 << QString::number(dialog.acceptMode() == QFileDialog::AcceptSave)
                 << dialog.directory().absolutePath()
                 << dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text()
                 << dialog.labelText(QFileDialog::Accept) << dialog.labelText(QFileDialog::Reject)
                 << dialog.nameFilters().join(u';');
            static_cast<QDialog&>(dialog).accept();  // the file offered, which is there already
        });
        whenModal<QMessageBox>([](QMessageBox& question) {
            question.button(QMessageBox::Yes)->click();  // replace it
        });
        QTest::keyClick(view.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(seen,
                 (QStringList{"Salvar como", "1", "1", documents, "primos.txt", "Salvar",
                              "Cancelar", "Arquivos de texto (*.txt);Todos os arquivos (*)"}));
        QCOMPARE(contentsOf(earlier), QByteArray::fromStdString(text->toString()));
        QCOMPARE(QDir(documents).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("primos.txt")});
    }

    // From the context menu, to a new file; a dialog cancelled writes nothing.
    void theContextMenuSavesToo() {
        show(tavix::makePlainText("Total de 2 números primos: 2, 3"));
        const QString other = QDir(documents).filePath(QStringLiteral("lista.txt"));
        bool typed = false;
        whenModal<QFileDialog>([&other, &typed](QFileDialog& dialog) {
            // As a user does: once the folder is listed and the name box has the focus, the
            // name typed over the one offered (typed before that, the file offered and listed
            // may stay selected, and it is the one saved).
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
            typed = QTest::qWaitFor(
                [&] { return edit->hasFocus() && list->model()->rowCount(list->rootIndex()) > 0; });
            if (typed) {
                edit->selectAll();
                QTest::keyClicks(edit, QFileInfo(other).fileName());
                static_cast<QDialog&>(dialog).accept();
            } else {
                dialog.reject();
            }
        });
        std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
        menu->actions().last()->trigger();
        QVERIFY(typed);
        QCOMPARE(contentsOf(other), QByteArray("Total de 2 números primos: 2, 3"));
        QFile::remove(other);

        whenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        view->saveAs();
        expectUntouched();
    }

    // The whole range takes seconds: the progress shows, "Cancelar" stops it, and the file
    // that was there stays.
    void aLongSaveCanBeCancelled() {
        show(tavix::testing::listingText("0", "2147483647"));
        QString label;
        whenModal<QProgressDialog>([&label](QProgressDialog& progress) {
            label = progress.labelText();
            QTimer::singleShot(200, &progress, [&progress] {
                QVERIFY(progress.value() > 0);
                progress.findChild<QAbstractButton*>()->click();  // "Cancelar"
            });
        });
        QStringList messages;
        const auto tell = [&messages](const QString& text, ResultMessageKind) { messages << text; };
        QVERIFY(!tavix::ui::saveResultTo(view.get(), view->sharedText(), earlier, tell));
        QCOMPARE(messages, QStringList());
        QCOMPARE(label,
                 QStringLiteral("Salvando o resultado em \u201C%1\u201D\u2026").arg(earlier));
        expectUntouched();
    }

    // A disk that fills up (here, the file size the process may write) and a folder that does
    // not exist: a failure names the file and the cause; the file that was there stays.
    void failuresAreToldAndChangeNothing() {
        show(tavix::testing::listingText("0", "10000000"));
        QStringList messages;
        const auto tell = [&messages](const QString& text, ResultMessageKind kind) {
            messages << text + " | " + QString::number(int(kind));
        };
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{1 << 20, old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved = tavix::ui::saveResultTo(view.get(), view->sharedText(), earlier, tell);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        expectUntouched();

        const QString nowhere = QDir(documents).filePath(QStringLiteral("nada/primos.txt"));
        QVERIFY(!tavix::ui::saveResultTo(view.get(), view->sharedText(), nowhere, tell));
        const QString failure = QString::number(int(ResultMessageKind::Failure));
        QCOMPARE(messages,
                 (QStringList{QStringLiteral("Não foi possível salvar o arquivo \u201C%1\u201D: o "
                                             "arquivo ficaria maior do que o sistema permite. | %2")
                                  .arg(earlier, failure),
                              QStringLiteral("Não foi possível salvar o arquivo \u201C%1\u201D: a "
                                             "pasta não existe. | %2")
                                  .arg(nowhere, failure)}));
        // The program goes on: the next save works.
        QVERIFY(tavix::ui::saveResultTo(view.get(), view->sharedText(), earlier, tell));
        QCOMPARE(contentsOf(earlier).size(), qsizetype(5891726));
    }
};

QTEST_MAIN(ResultSaveTest)
#include "result_save_test.moc"
