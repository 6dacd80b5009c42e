#include "ui/result/model/text_source.hpp"

#include <algorithm>

namespace tavix::ui {

TextSource::TextSource(ResultTextPtr text, std::size_t chunk)
    : text_(text ? std::move(text) : makePlainText({})),
      size_(text_->size()),
      chunk_(std::max(chunk, kMinimumChunk)),
      whole_(text_->contiguous()) {
    if (!whole_) {
        reader_ = text_->reader();
    }
}

const TextSource::Stretch& TextSource::holding(std::size_t begin, std::size_t end,
                                               std::size_t start) {
    ++clock_;
    for (Stretch& stretch : stretches_) {
        if (!stretch.bytes.empty() && stretch.begin <= begin &&
            end <= stretch.begin + stretch.bytes.size()) {
            stretch.used = clock_;
            return stretch;
        }
    }
    Stretch& oldest =
        *std::min_element(stretches_.begin(), stretches_.end(),
                          [](const Stretch& a, const Stretch& b) { return a.used < b.used; });
    const std::size_t stop = std::min(size_, std::max(end, start + chunk_));
    oldest.bytes.clear();  // empty while it is being made, should the reader throw
    std::string bytes(stop - start, '\0');
    reader_->read(start, bytes);
    oldest.bytes = std::move(bytes);
    oldest.begin = start;
    oldest.used = clock_;
    return oldest;
}

std::string_view TextSource::from(std::size_t pos, std::size_t minimum) {
    pos = std::min(pos, size_);
    const std::size_t end = std::min(size_, pos + minimum);
    if (whole_) {
        return whole_->substr(pos);
    }
    if (pos == end) {
        return {};
    }
    // Made from a little before, for reading back from here too.
    const std::size_t start = pos - std::min(pos, chunk_ / kReadBackShare);
    const Stretch& stretch = holding(pos, end, start);
    return std::string_view(stretch.bytes).substr(pos - stretch.begin);
}

std::string_view TextSource::before(std::size_t pos, std::size_t minimum) {
    pos = std::min(pos, size_);
    const std::size_t begin = pos - std::min(pos, minimum);
    if (whole_) {
        return whole_->substr(0, pos);
    }
    if (begin == pos) {
        return {};
    }
    const std::size_t start = pos - std::min(pos, chunk_ - chunk_ / kReadBackShare);
    const Stretch& stretch = holding(begin, pos, std::min(start, begin));
    return std::string_view(stretch.bytes).substr(0, pos - stretch.begin);
}

std::string_view TextSource::span(std::size_t begin, std::size_t end) {
    end = std::min(end, size_);
    begin = std::min(begin, end);
    return from(begin, end - begin).substr(0, end - begin);
}

std::string TextSource::copy(std::size_t begin, std::size_t end) {
    end = std::min(end, size_);
    begin = std::min(begin, end);
    if (whole_) {
        return std::string(whole_->substr(begin, end - begin));
    }
    if (end - begin <= chunk_) {
        return std::string(span(begin, end));
    }
    std::string bytes(end - begin, '\0');
    reader_->read(begin, bytes);
    return bytes;
}

}  // namespace tavix::ui
