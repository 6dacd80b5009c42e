#include "ui/result/clipboard.hpp"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <new>

namespace tavix::ui {

namespace {

const QString kPlainText = QStringLiteral("text/plain");
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

}  // namespace

ResultMimeData::ResultMimeData(ResultTextPtr text, std::size_t begin, std::size_t end)
    : text_(std::move(text)), begin_(begin), end_(end) {}

std::string ResultMimeData::bytes() const {
    return text_->slice(begin_, end_);
}

void ResultMimeData::keepOwnCopy() {
    const std::size_t piece = end_ - begin_;
    if (text_->memoryUse() <= 2 * piece + 4096) {
        return;  // the text takes no more room than a copy would
    }
    try {
        text_ = makePlainText(bytes());
    } catch (const std::bad_alloc&) {
        return;  // no room for the copy: go on sharing the whole text
    }
    begin_ = 0;
    end_ = piece;
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
    try {
        if (const auto whole = text_->contiguous()) {
            const std::string_view piece = whole->substr(begin_, end_ - begin_);
            if (type.id() == QMetaType::QString) {
                return QString::fromUtf8(piece.data(), qsizetype(piece.size()));
            }
            return QByteArray(piece.data(), qsizetype(piece.size()));
        }
        QByteArray piece(qsizetype(end_ - begin_), Qt::Uninitialized);
        text_->reader()->read(begin_, std::span<char>(piece.data(), std::size_t(piece.size())));
        if (type.id() == QMetaType::QString) {
            return QString::fromUtf8(piece);
        }
        return piece;
    } catch (const std::bad_alloc&) {
        // No room for the paste's copy: it gets nothing, and the program goes on.
        return {};
    }
}

std::optional<QString> ResultClipboard::copy(const ResultTextPtr& text, std::size_t begin,
                                             std::size_t end) {
    if (end - begin > limit_) {
        const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
        const auto megabytes = [&](std::size_t n) {
            return portuguese.toString(qint64((n + (1 << 19)) >> 20));
        };
        return QStringLiteral(
                   "A seleção (%1 MB) é grande demais para copiar; o limite é de %2 MB. "
                   "Selecione um trecho menor, ou use \u201CSalvar como\u2026\u201D "
                   "(Ctrl+S) para gravar o resultado em um arquivo.")
            .arg(megabytes(end - begin), megabytes(limit_));
    }
    auto* data = new ResultMimeData(text, begin, end);
    QGuiApplication::clipboard()->setMimeData(data);
    copied_ = data;
    return std::nullopt;
}

void ResultClipboard::setPrimarySelection(const ResultTextPtr& text, std::size_t begin,
                                          std::size_t end) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (begin < end && clipboard->supportsSelection() && end - begin <= limit_) {
        auto* data = new ResultMimeData(text, begin, end);
        clipboard->setMimeData(data, QClipboard::Selection);
        primarySelection_ = data;
    }
}

void ResultClipboard::release() {
    for (ResultMimeData* data : {copied_.data(), primarySelection_.data()}) {
        if (data != nullptr) {
            data->keepOwnCopy();
        }
    }
}

}  // namespace tavix::ui
