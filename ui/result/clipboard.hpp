// What a copy from the result area hands to the clipboard: a stretch of the result text,
// made and turned into the format a paste asks for only when the paste happens.
#pragma once

#include <QMimeData>

#include <cstddef>
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

}  // namespace tavix::ui
