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
    // Shares the text, so that the copy outlives a later result in the window.
    ResultMimeData(std::shared_ptr<const std::string> text, std::size_t begin, std::size_t end);

    std::string_view bytes() const;

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    std::shared_ptr<const std::string> text_;
    std::size_t begin_;
    std::size_t end_;
};

}  // namespace tavix::ui
