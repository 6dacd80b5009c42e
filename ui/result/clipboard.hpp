// The result area's copies: what it hands to the clipboard, a stretch of the result text made
// and turned into the format a paste asks for only when the paste happens; and the copy
// limit, beyond which a copy is refused with a message.
#pragma once

#include <QMimeData>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>

#include "core/result_text.hpp"

namespace tavix::ui {

class ResultMimeData : public QMimeData {
    Q_OBJECT
  public:
    // Shares the text, so that copying costs nothing until a paste asks for it.
    ResultMimeData(ResultTextPtr text, std::size_t begin, std::size_t end);

    // The bytes of the stretch.
    std::string bytes() const;
    // Lets go of a text kept whole in memory, which the window is about to replace, keeping a
    // copy of the stretch only: the copy outlives the result without keeping all of it. A
    // text made on demand takes little room and is kept as it is.
    void keepOwnCopy();

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    ResultTextPtr text_;
    std::size_t begin_;
    std::size_t end_;
};

// Puts stretches of the result on the clipboard and the primary selection.
class ResultClipboard {
  public:
    // The largest selection that "Copiar" puts on the clipboard (128 MiB).
    static constexpr std::size_t kDefaultCopyLimit = std::size_t{128} << 20;

    std::size_t limit() const { return limit_; }
    void setLimit(std::size_t bytes) { limit_ = bytes; }

    // Puts [begin, end) of `text` on the clipboard. A stretch larger than the limit is
    // refused: the answer is then the message that says so, pointing to "Salvar como…",
    // since neither this program nor most others can take such a paste.
    std::optional<QString> copy(const ResultTextPtr& text, std::size_t begin, std::size_t end);
    // The same for the primary selection, where the system has one; silently nothing past
    // the limit.
    void setPrimarySelection(const ResultTextPtr& text, std::size_t begin, std::size_t end);
    // What was copied stays on the clipboard, but no longer holds on to a whole result.
    void release();

  private:
    std::size_t limit_ = kDefaultCopyLimit;
    // The last copies put on the clipboard and the primary selection, while they are there.
    QPointer<ResultMimeData> copied_;
    QPointer<ResultMimeData> primarySelection_;
};

}  // namespace tavix::ui
