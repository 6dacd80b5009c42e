#include "ui/qt_translations.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace tavix::ui {

bool installQtTranslations() {
    static QPointer<QTranslator> installed;
    if (installed) {
        return true;
    }
    // The locale asked for is Brazil's, not the system's: Qt ships Portuguese only as
    // qtbase_pt_BR, and the interface is Portuguese whatever the system's language.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

}  // namespace tavix::ui
