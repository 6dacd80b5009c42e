#include "core/utf8.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tavix {

namespace {

// True when the eight bytes at p are all ASCII.
bool asciiWord(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// True when the `size` bytes at p are all ASCII. Reads a long run at the speed of memory.
bool asciiRun(const char* p, std::size_t size) {
    std::uint64_t any[4] = {};
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        for (int k = 0; k < 4; ++k) {
            std::uint64_t word;
            std::memcpy(&word, p + i + 8 * k, sizeof word);
            any[k] |= word;
        }
    }
    std::uint64_t all = any[0] | any[1] | any[2] | any[3];
    for (; i < size; ++i) {
        all |= static_cast<unsigned char>(p[i]);
    }
    return (all & 0x8080808080808080ULL) == 0;
}

}  // namespace

Utf8Char decodeUtf8(std::string_view text, std::size_t pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    const std::size_t left = text.size() - pos;
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        return {b0, 1};
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left >= 2 && isUtf8Continuation(p[1])) {
            return {static_cast<char32_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F)), 2};
        }
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left >= 3 && isUtf8Continuation(p[1]) && isUtf8Continuation(p[2])) {
            const bool overlong = b0 == 0xE0 && p[1] < 0xA0;
            const bool surrogate = b0 == 0xED && p[1] >= 0xA0;
            if (!overlong && !surrogate) {
                return {static_cast<char32_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) |
                                              (p[2] & 0x3F)),
                        3};
            }
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left >= 4 && isUtf8Continuation(p[1]) && isUtf8Continuation(p[2]) &&
            isUtf8Continuation(p[3])) {
            const bool overlong = b0 == 0xF0 && p[1] < 0x90;
            const bool tooHigh = b0 == 0xF4 && p[1] >= 0x90;
            if (!overlong && !tooHigh) {
                return {static_cast<char32_t>(((b0 & 0x07) << 18) | ((p[1] & 0x3F) << 12) |
                                              ((p[2] & 0x3F) << 6) | (p[3] & 0x3F)),
                        4};
            }
        }
    }
    return {kReplacementCharacter, 1};
}

std::size_t lastUtf8Length(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (isUtf8Continuation(bytes[n - 1])) {
        for (std::size_t k = 2; k <= kMaxUtf8Length && k <= n; ++k) {
            if (decodeUtf8(bytes, n - k).length == static_cast<int>(k)) {
                return k;
            }
        }
    }
    return 1;
}

std::uint64_t utf16Length(std::string_view text, std::size_t begin, std::size_t end) {
    end = std::min(end, text.size());
    std::uint64_t units = 0;
    std::size_t pos = begin;
    while (pos < end) {
        if (end - pos >= 8 && asciiWord(text.data() + pos)) {
            pos += 8;
            units += 8;
            continue;
        }
        const Utf8Char c = decodeUtf8(text, pos);
        units += utf16Units(c.codePoint);
        pos += c.length;
    }
    return units;
}

Utf16Map::Utf16Map(std::string_view text) : text_(text) {
    checkpoints_.reserve(text.size() / kBlockBytes + 1);
    std::size_t pos = 0;
    std::uint64_t units = 0;
    std::size_t nextBlock = 0;
    while (pos < text.size()) {
        if (pos >= nextBlock) {
            checkpoints_.push_back({pos, units});
            nextBlock += kBlockBytes;
        }
        const std::size_t stop = std::min(nextBlock, text.size());
        if (asciiRun(text.data() + pos, stop - pos)) {
            units += stop - pos;
            pos = stop;
            continue;
        }
        while (stop - pos >= 8 && asciiWord(text.data() + pos)) {
            pos += 8;
            units += 8;
        }
        if (pos >= stop) {
            continue;
        }
        const Utf8Char c = decodeUtf8(text, pos);
        units += utf16Units(c.codePoint);
        pos += c.length;
    }
    length_ = units;
}

std::uint64_t Utf16Map::toUtf16(std::size_t byteOffset) const {
    if (byteOffset >= text_.size()) {
        return length_;
    }
    std::size_t block = byteOffset / kBlockBytes;
    if (checkpoints_[block].byte > byteOffset && block > 0) {
        --block;  // the offset lies inside a character that started in the block before
    }
    const Checkpoint& from = checkpoints_[block];
    if (from.byte > byteOffset) {
        return from.utf16;
    }
    return from.utf16 + utf16Length(text_, from.byte, byteOffset);
}

std::size_t Utf16Map::toBytes(std::uint64_t utf16Offset) const {
    if (utf16Offset == 0 || checkpoints_.empty()) {
        return 0;
    }
    if (utf16Offset >= length_) {
        return text_.size();
    }
    auto it =
        std::upper_bound(checkpoints_.begin(), checkpoints_.end(), utf16Offset,
                         [](std::uint64_t units, const Checkpoint& c) { return units < c.utf16; });
    const Checkpoint& from = *std::prev(it);
    std::size_t pos = from.byte;
    std::uint64_t units = from.utf16;
    while (pos < text_.size()) {
        if (text_.size() - pos >= 8 && units + 8 <= utf16Offset && asciiWord(text_.data() + pos)) {
            pos += 8;
            units += 8;
            continue;
        }
        const Utf8Char c = decodeUtf8(text_, pos);
        const int width = utf16Units(c.codePoint);
        if (units + width > utf16Offset) {
            return pos;
        }
        units += width;
        pos += c.length;
    }
    return text_.size();
}

}  // namespace tavix
