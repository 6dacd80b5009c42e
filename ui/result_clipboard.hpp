// What a copy from the result area hands to the clipboard: a piece of the result text that is
// turned into the format a paste asks for only when the paste happens.
#pragma once

#include <QMimeData>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tavix::ui {

class ResultMimeData : public QMimeData {
    Q_OBJECT
  public:
    // Shares the text, so that copying costs nothing until the result is replaced.
    ResultMimeData(std::shared_ptr<const std::string> text, std::size_t begin, std::size_t end);

    std::string_view bytes() const;
    // Takes a copy of the piece and lets go of the whole text, which the window is about to
    // replace: the copy outlives the result without keeping all of it in memory.
    void keepOwnCopy();

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    std::shared_ptr<const std::string> text_;  // the piece's own text after keepOwnCopy()
    std::size_t begin_;
    std::size_t end_;
};

}  // namespace tavix::ui
