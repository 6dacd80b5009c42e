#include "core/result_text.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "core/engines/text_buffer.hpp"
#include "core/engines/tuning.hpp"
#include "core/engines/work_sharing.hpp"
#include "core/utf8.hpp"

namespace tavix {

namespace {

using tuning::kWholeTextChunk;

class PlainReader final : public TextReader {
  public:
    PlainReader(std::shared_ptr<const ResultText> owner, std::string_view text)
        : owner_(std::move(owner)), text_(text) {}
    void read(std::uint64_t begin, std::span<char> out) override {
        std::memcpy(out.data(), text_.data() + begin, out.size());
    }

  private:
    std::shared_ptr<const ResultText> owner_;  // keeps the text alive
    std::string_view text_;
};

class PlainText final : public ResultText, public std::enable_shared_from_this<PlainText> {
  public:
    explicit PlainText(std::string text)
        : text_(std::move(text)),
          lineBreaks_(text_.find_first_of(kLineBreaks) != std::string::npos) {}

    std::uint64_t size() const override { return text_.size(); }
    std::uint64_t length() const override { return map().length(); }
    std::uint64_t characterOffset(std::uint64_t byte) const override { return map().toUtf16(byte); }
    std::uint64_t byteOffset(std::uint64_t character) const override {
        return map().toBytes(character);
    }
    std::unique_ptr<TextReader> reader() const override {
        return std::make_unique<PlainReader>(shared_from_this(), text_);
    }
    bool hasLineBreaks() const override { return lineBreaks_; }
    std::optional<std::string_view> contiguous() const override { return text_; }
    std::size_t memoryUse() const override { return text_.capacity(); }

  private:
    // Made when first asked for: most results are never measured in characters.
    const Utf16Map& map() const {
        std::call_once(mapMade_, [this] { map_ = std::make_unique<Utf16Map>(text_); });
        return *map_;
    }

    const std::string text_;
    const bool lineBreaks_;
    mutable std::once_flag mapMade_;
    mutable std::unique_ptr<Utf16Map> map_;
};

}  // namespace

ResultTextPtr makePlainText(std::string text) {
    return std::make_shared<const PlainText>(std::move(text));
}

std::string ResultText::slice(std::uint64_t begin, std::uint64_t end) const {
    end = std::min(end, size());
    if (begin >= end) {
        return {};
    }
    if (const auto whole = contiguous()) {
        return std::string(whole->substr(begin, end - begin));
    }
    std::string piece(end - begin, '\0');
    reader()->read(begin, piece);
    return piece;
}

std::string ResultText::toString() const {
    if (const auto whole = contiguous()) {
        return std::string(*whole);
    }
    const std::uint64_t total = size();
    std::string text = makeTextBuffer(total);
    const std::size_t chunks = (total + kWholeTextChunk - 1) / kWholeTextChunk;
    const std::size_t threads =
        std::min<std::size_t>(workerCount(), std::max<std::size_t>(chunks, 1));
    std::vector<std::unique_ptr<TextReader>> readers;
    for (std::size_t i = 0; i < threads; ++i) {
        readers.push_back(reader());
    }
    std::atomic<bool> outOfMemory{false};
    runTasks(chunks, threads, [&](std::size_t worker, std::size_t chunk) {
        const std::uint64_t begin = chunk * kWholeTextChunk;
        const std::uint64_t end = std::min(total, begin + kWholeTextChunk);
        try {
            readers[worker]->read(begin, std::span<char>(text.data() + begin, end - begin));
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    });
    if (outOfMemory) {
        throw std::bad_alloc();
    }
    return text;
}

}  // namespace tavix
