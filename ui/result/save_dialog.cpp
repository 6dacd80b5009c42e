#include "ui/result/save_dialog.hpp"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>

#include <atomic>
#include <climits>
#include <malloc.h>
#include <new>
#include <sys/mman.h>
#include <thread>

#include "ui/result/io/address_space.hpp"
#include "ui/result/io/save_file.hpp"

namespace tavix::ui {

namespace {

// How long a save goes on before its progress is shown.
constexpr int kMomentMilliseconds = 500;
// How often the progress is brought up to date.
constexpr int kTickMilliseconds = 20;

// Address space set aside while the program runs, given back for a moment to tell the user
// that memory ran out: a message box needs some. It matters where the address space is
// limited (ulimit -v); elsewhere it costs nothing, as it is never touched.
class Reserve {
  public:
    Reserve() { take(); }
    void take() {
        if (start_ == nullptr) {
            void* start = ::mmap(nullptr, kBytes, PROT_NONE,
                                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            start_ = start == MAP_FAILED ? nullptr : start;
        }
    }
    void release() {
        if (start_ != nullptr) {
            ::munmap(start_, kBytes);
            start_ = nullptr;
        }
    }

  private:
    static constexpr std::size_t kBytes = std::size_t{16} << 20;
    void* start_ = nullptr;
};
Reserve reserve;

// What the save dialog and its helpers take at most, with room to spare: Qt's widgets do not
// survive a failed allocation, so the dialog opens only when there is room for it.
constexpr std::size_t kDialogBytes = std::size_t{32} << 20;

void tellNoMemory(const ResultMessageSink& tell) {
    reserve.release();
    try {
        tell(QStringLiteral("Não foi possível salvar o resultado: não há memória suficiente."),
             ResultMessageKind::Failure);
    } catch (const std::exception&) {
        // Not even room for that: the window goes on as it was.
    }
    reserve.take();
}

// Gives the keyboard back to the window and the control that had it before the save's dialogs,
// when they are gone. Some window managers (openbox) hand the activation, as a dialog closes,
// to a window that is going away, after Qt has asked for its own: so the window asks again,
// a few times over the next half second, as long as no window of the program is active.
class KeyboardReturn {
  public:
    explicit KeyboardReturn(QWidget* window)
        : window_(window), focus_(QApplication::focusWidget()) {}
    ~KeyboardReturn() {
        giveBack(window_, focus_);
        for (const int delay : {50, 150, 300, 500}) {
            QTimer::singleShot(delay, window_, [window = window_, focus = focus_] {
                if (QApplication::activeWindow() == nullptr) {
                    giveBack(window, focus);
                }
            });
        }
    }
    KeyboardReturn(const KeyboardReturn&) = delete;
    KeyboardReturn& operator=(const KeyboardReturn&) = delete;

  private:
    static void giveBack(const QPointer<QWidget>& window, const QPointer<QWidget>& focus) {
        if (window == nullptr || !window->isVisible() || QApplication::activeModalWidget()) {
            return;
        }
        window->activateWindow();
        if (focus != nullptr && focus->window() == window) {
            focus->setFocus(Qt::OtherFocusReason);
        }
    }

    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

// Set once the program is ending: saves stop.
std::atomic<bool> stopping{false};

QString quoted(const QString& path) {
    return QStringLiteral("\u201C%1\u201D").arg(QDir::toNativeSeparators(path));
}

}  // namespace

QString defaultSavePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::homePath();
    }
    return QDir(folder).filePath(QStringLiteral("primos.txt"));
}

namespace {

// The file the user names in the dialog, or an empty text when the dialog is cancelled.
QString askWhere(QWidget* parent) {
    // Qt's own dialog, so that it speaks Portuguese whatever the desktop.
    QFileDialog dialog(parent, QStringLiteral("Salvar como"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("Arquivos de texto (*.txt)"), QStringLiteral("Todos os arquivos (*)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Salvar em:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Salvar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    const QString suggested = defaultSavePath();
    dialog.setDirectory(QFileInfo(suggested).absolutePath());
    dialog.selectFile(QFileInfo(suggested).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

bool saveResultAs(QWidget* parent, const ResultTextPtr& text, const ResultMessageSink& tell) {
    const KeyboardReturn keyboard(parent->window());
    try {
        if (!roomFor(kDialogBytes)) {
            tellNoMemory(tell);
            return false;
        }
        const QString path = askWhere(parent);  // the dialog gone, with what it holds
        return !path.isEmpty() && saveResultTo(parent, text, path, tell);
    } catch (const std::exception&) {  // out of memory
        tellNoMemory(tell);
        return false;
    }
}

void stopSaves() {
    stopping = true;
}

namespace {

// The save's progress: window-modal, shown by the caller after a moment, "Cancelar" stops it.
void setUpProgress(QProgressDialog& progress, SaveControl& control) {
    progress.setObjectName(QStringLiteral("saveProgress"));
    progress.setWindowTitle(QStringLiteral("Tavix"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(INT_MAX);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QObject::connect(&progress, &QProgressDialog::canceled, [&control] { control.cancel = true; });
}

}  // namespace

bool saveResultTo(QWidget* parent, const ResultTextPtr& text, const QString& path,
                  const ResultMessageSink& tell) {
    SaveControl control;
    control.cancel = stopping.load();
    std::atomic<bool> done{false};
    SaveOutcome outcome;
    const std::string target = QFile::encodeName(path).toStdString();
    QProgressDialog progress(QStringLiteral("Salvando o resultado em %1…").arg(quoted(path)),
                             QStringLiteral("Cancelar"), 0, 1000, parent);
    setUpProgress(progress, control);
    // Its window made now, before the save takes its buffers: with little memory, Qt does not
    // survive an allocation that fails as it makes a window (the icon it hands the desktop).
    progress.winId();

    std::jthread saver;
    try {
        saver = std::jthread([&] {
            outcome = saveText(text, target, control);
            done = true;
        });
    } catch (const std::exception&) {
        outcome = saveText(text, target, control);  // no thread to be had: here, then
        done = true;
    }

    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(kTickMilliseconds);
    QElapsedTimer clock;
    clock.start();
    const double size = double(std::max<std::uint64_t>(text->size(), 1));
    while (!done) {
        if (stopping) {
            control.cancel = true;
        }
        if (!progress.isVisible() && clock.elapsed() >= kMomentMilliseconds) {
            progress.show();
        }
        if (progress.isVisible()) {
            progress.setValue(int(1000 * double(control.written.load()) / size));
        }
        // Until the progress shows, the window takes no input: nothing starts meanwhile.
        loop.exec(progress.isVisible() ? QEventLoop::AllEvents
                                       : QEventLoop::ExcludeUserInputEvents);
    }
    if (saver.joinable()) {
        saver.join();
    }
    ::malloc_trim(0);  // the chunks of a large save go back to the system, not kept for later
    progress.hide();

    if (outcome.status == SaveOutcome::Status::Failed) {
        tell(QStringLiteral("Não foi possível salvar o arquivo %1: %2.")
                 .arg(quoted(path), QString::fromStdString(saveFailureCause(outcome))),
             ResultMessageKind::Failure);
    }
    return outcome.status == SaveOutcome::Status::Saved;
}

}  // namespace tavix::ui
