// Qt's own texts in Portuguese whatever the system's language: the number boxes' context menu,
// as the user opens it, read under several LANG settings. Each language runs in a child
// process (this executable again, with kMenuChild as its argument and LANG set), since the
// system's language is read once when the program starts.
#include "ui/qt_translations.hpp"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "support/qt_helpers.hpp"
#include "ui/frm_tavix.hpp"

namespace {

constexpr char kMenuChild[] = "--menu-child";

// The texts of the context menu that a right click on `box` opens, without the accelerator
// marks and shortcuts.
QStringList contextMenuTexts(QLineEdit* box) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(box, &event);
    QStringList texts;
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return texts;
    }
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QChar('\t'), 0, 0).remove(QChar('&'));
        }
    }
    menu->close();
    return texts;
}

// What the child does: the program's start, then the menu of each number box and the text
// of a message box's button, one line each.
int readMenus(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!tavix::ui::installQtTranslations()) {
        std::puts("no translations");
        return 1;
    }
    tavix::ui::frmTavix window;
    window.show();
    for (const char* name : {"txtIni", "txtN", "txtV"}) {
        const QStringList texts =
            contextMenuTexts(tavix::testing::control<QLineEdit>(window, name));
        tavix::testing::report(name, texts.join(QChar('|')));
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tavix"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    tavix::testing::report("buttons", box.button(QMessageBox::Cancel)->text());
    return 0;
}

}  // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT

  private slots:
    void contextMenuReadsPortuguese_data() {
        QTest::addColumn<QString>("lang");
        for (const char* lang : {"C.UTF-8", "en_US.UTF-8", "pt_BR.UTF-8"}) {
            tavix::testing::addRow(lang, lang);
        }
    }

    void contextMenuReadsPortuguese() {
        QFETCH(QString, lang);
        const auto [status, output] = tavix::testing::runChild(
            kMenuChild, {{QStringLiteral("LANG"), lang}},
            {QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES"), QStringLiteral("LANGUAGE")});
        QVERIFY2(status == 0, qPrintable(output));
        const QString menu =
            QStringLiteral("Desfazer|Refazer|Recortar|Copiar|Colar|Excluir|Selecionar tudo");
        for (const char* name : {"txtIni", "txtN", "txtV"}) {
            QVERIFY2(output.contains(QLatin1String(name) + QChar('\t') + menu + QChar('\n')),
                     qPrintable(output));
        }
        QVERIFY2(output.contains(QStringLiteral("buttons\tCancelar\n")), qPrintable(output));
    }
};

int main(int argc, char** argv) {
    return tavix::testing::testMain<QtTranslationsTest>(argc, argv, kMenuChild, readMenus);
}

#include "qt_translations_test.moc"
