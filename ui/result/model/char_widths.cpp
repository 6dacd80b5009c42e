#include "ui/result/model/char_widths.hpp"

#include <algorithm>

namespace tavix::ui {

CharWidths::CharWidths(const std::array<Width, 95>& ascii, MeasureCharacter measure, Width tabStop)
    : measure_(std::move(measure)), tabStop_(std::max<Width>(tabStop, 1)) {
    byteTable_.fill(-1);
    Width narrowest = 0;
    for (int c = 0x20; c < 0x7F; ++c) {
        const Width w = std::max<Width>(ascii[c - 0x20], 0);
        byteTable_[c] = static_cast<std::int32_t>(w);
        if (c > 0x20 && w > 0 && (narrowest == 0 || w < narrowest)) {
            narrowest = w;
        }
    }
    narrowest_ = std::max<Width>(narrowest, 1);
}

std::unique_ptr<CharWidths> CharWidths::copy() const {
    std::unique_ptr<CharWidths> widths(new CharWidths());
    *widths = *this;
    return widths;
}

Width CharWidths::of(char32_t codePoint) {
    if (codePoint >= 0x20 && codePoint < 0x7F) {
        return byteTable_[codePoint];
    }
    auto found = others_.find(codePoint);
    if (found != others_.end()) {
        return found->second;
    }
    const Width w = std::max<Width>(measure_ ? measure_(codePoint) : 0, 0);
    others_.emplace(codePoint, w);
    return w;
}

}  // namespace tavix::ui
