#include "ui/desktop/desktop_link.hpp"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace tavix::ui {

namespace {
constexpr std::intptr_t kHandedOver = 42;     // any value above 32 means success
constexpr std::intptr_t kNoAssociation = 31;  // SE_ERR_NOASSOC
}  // namespace

std::intptr_t ShellExecuteA(std::intptr_t /*ownerWindow*/, const std::string& operation,
                            const std::string& file, const std::string& parameters,
                            const std::string& directory, int /*showCommand*/) {
    if ((!operation.empty() && operation != "open") || !parameters.empty() || !directory.empty()) {
        return kNoAssociation;
    }
    const QUrl target(QString::fromLocal8Bit(file.data(), static_cast<qsizetype>(file.size())),
                      QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty()) {
        return kNoAssociation;
    }
    return QDesktopServices::openUrl(target) ? kHandedOver : kNoAssociation;
}

}  // namespace tavix::ui
