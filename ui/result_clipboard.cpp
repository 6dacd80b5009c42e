#include "ui/result_clipboard.hpp"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <new>

namespace tavix::ui {

namespace {

const QString kPlainText = QStringLiteral("text/plain");
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

}  // namespace

ResultMimeData::ResultMimeData(std::shared_ptr<const std::string> text, std::size_t begin,
                               std::size_t end)
    : text_(std::move(text)), begin_(begin), end_(end) {}

std::string_view ResultMimeData::bytes() const {
    return std::string_view(*text_).substr(begin_, end_ - begin_);
}

void ResultMimeData::keepOwnCopy() {
    if (begin_ == 0 && end_ == text_->size()) {
        return;
    }
    try {
        text_ = std::make_shared<const std::string>(bytes());
    } catch (const std::bad_alloc&) {
        return;  // no room for the copy: go on sharing the whole text
    }
    end_ -= begin_;
    begin_ = 0;
}

QStringList ResultMimeData::formats() const {
    return {kPlainText, kUtf8Text};
}

bool ResultMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == kPlainText || mimeType == kUtf8Text;
}

QVariant ResultMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (!hasFormat(mimeType)) {
        return {};
    }
    const std::string_view piece = bytes();
    const auto size = static_cast<qsizetype>(piece.size());
    try {
        if (type.id() == QMetaType::QString) {
            return QString::fromUtf8(piece.data(), size);
        }
        return QByteArray(piece.data(), size);
    } catch (const std::bad_alloc&) {
        // No room for the paste's copy: it gets nothing, and the program goes on.
        return {};
    }
}

}  // namespace tavix::ui
