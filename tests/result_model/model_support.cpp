#include "model_support.hpp"

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace tavix::testing {

ui::Width madeUpWidth(char32_t c) {
    if (c >= '0' && c <= '9') {
        return 9 * ui::kWidthUnit;
    }
    if (c == ',' || c == ' ') {
        return ui::kWidthUnit * 9 / 2;
    }
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        return 8 * ui::kWidthUnit;
    }
    return c < 0x7F ? 6 * ui::kWidthUnit : 10 * ui::kWidthUnit;
}

std::unique_ptr<ui::CharWidths> madeUpWidths() {
    std::array<ui::Width, 95> ascii{};
    for (char32_t c = 0x20; c < 0x7F; ++c) {
        ascii[c - 0x20] = madeUpWidth(c);
    }
    return std::make_unique<ui::CharWidths>(ascii, madeUpWidth, 80 * ui::kWidthUnit);
}

namespace {

class ReadOnlyThroughReaders final : public ResultText {
  public:
    explicit ReadOnlyThroughReaders(std::string bytes) : plain_(makePlainText(std::move(bytes))) {}
    std::uint64_t size() const override { return plain_->size(); }
    std::uint64_t length() const override { return plain_->length(); }
    std::uint64_t characterOffset(std::uint64_t byte) const override {
        return plain_->characterOffset(byte);
    }
    std::uint64_t byteOffset(std::uint64_t character) const override {
        return plain_->byteOffset(character);
    }
    std::unique_ptr<TextReader> reader() const override { return plain_->reader(); }
    bool hasLineBreaks() const override { return plain_->hasLineBreaks(); }
    std::size_t memoryUse() const override { return plain_->memoryUse(); }

  private:
    ResultTextPtr plain_;
};

}  // namespace

ResultTextPtr readThroughReaders(std::string bytes) {
    return std::make_shared<const ReadOnlyThroughReaders>(std::move(bytes));
}

namespace {

// The characters of a well-formed UTF-8 text with the byte offset where each starts.
struct Character {
    std::size_t offset;
    char32_t code;
};

std::vector<Character> charactersOf(const std::string& text) {
    std::vector<Character> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        characters.push_back({i, code});
        i += length;
    }
    return characters;
}

}  // namespace

std::vector<std::size_t> referenceLineStarts(const std::string& text, ui::Width lineWidth) {
    const std::vector<Character> characters = charactersOf(text);
    const std::size_t n = characters.size();
    // widthBefore[i]: the width of characters [0, i).
    std::vector<ui::Width> widthBefore(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        widthBefore[i + 1] = widthBefore[i] + madeUpWidth(characters[i].code);
    }
    const auto offsetOf = [&](std::size_t i) { return i < n ? characters[i].offset : text.size(); };
    std::vector<std::size_t> starts{0};
    std::size_t first = 0;  // the line's first character
    while (true) {
        // The line is whole words: it may end after any blank, or at the text's end.
        std::size_t best = 0;
        for (std::size_t end = first + 1; end <= n; ++end) {
            const bool afterBlank = characters[end - 1].code == ' ';
            if (end < n && !afterBlank) {
                continue;
            }
            const std::size_t inked = afterBlank ? end - 1 : end;
            if (widthBefore[inked] - widthBefore[first] > lineWidth) {
                break;
            }
            best = end;
        }
        if (best == n) {
            return starts;
        }
        if (best == 0) {
            // One word wider than the line: as many characters as fit, at least one.
            best = first + 1;
            while (best < n && widthBefore[best + 1] - widthBefore[first] <= lineWidth) {
                ++best;
            }
        }
        first = best;
        starts.push_back(offsetOf(first));
    }
}

}  // namespace tavix::testing
