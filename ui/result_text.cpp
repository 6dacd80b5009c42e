#include "ui/result_text.hpp"

#include <algorithm>
#include <cstring>

namespace tavix::ui {

namespace {

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

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

enum class CharClass { Blank, Word, Break, Other };

CharClass classOf(char byte) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == ' ' || c == '\t') {
        return CharClass::Blank;
    }
    if (c == '\n' || c == '\r') {
        return CharClass::Break;
    }
    if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
        c == '_') {
        return CharClass::Word;
    }
    return CharClass::Other;
}

}  // namespace

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t wordStart(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    const CharClass kind = classOf(text[pos]);
    if (kind == CharClass::Break) {
        return pos;
    }
    while (pos > 0) {
        const std::size_t before = previousCharBoundary(text, pos);
        if (classOf(text[before]) != kind) {
            break;
        }
        pos = before;
    }
    return pos;
}

std::size_t wordEnd(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    const CharClass kind = classOf(text[pos]);
    if (kind == CharClass::Break) {
        return nextCharBoundary(text, pos);
    }
    while (pos < text.size() && classOf(text[pos]) == kind) {
        pos = nextCharBoundary(text, pos);
    }
    return pos;
}

Utf8Char decodeUtf8(std::string_view text, std::size_t pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    const std::size_t left = text.size() - pos;
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        return {b0, 1};
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left >= 2 && isContinuation(p[1])) {
            return {static_cast<char32_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F)), 2};
        }
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left >= 3 && isContinuation(p[1]) && isContinuation(p[2])) {
            const bool overlong = b0 == 0xE0 && p[1] < 0xA0;
            const bool surrogate = b0 == 0xED && p[1] >= 0xA0;
            if (!overlong && !surrogate) {
                return {static_cast<char32_t>(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) |
                                              (p[2] & 0x3F)),
                        3};
            }
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left >= 4 && isContinuation(p[1]) && isContinuation(p[2]) && isContinuation(p[3])) {
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

std::size_t nextCharBoundary(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
        return pos + 2;
    }
    return pos + decodeUtf8(text, pos).length;
}

std::size_t previousCharBoundary(std::string_view text, std::size_t pos) {
    pos = std::min(pos, text.size());
    if (pos == 0) {
        return 0;
    }
    if (text[pos - 1] == '\n' && pos >= 2 && text[pos - 2] == '\r') {
        return pos - 2;
    }
    if (isContinuation(static_cast<unsigned char>(text[pos - 1]))) {
        for (std::size_t k = 2; k <= 4 && k <= pos; ++k) {
            if (decodeUtf8(text, pos - k).length == static_cast<int>(k)) {
                return pos - k;
            }
        }
    }
    return pos - 1;
}

std::int64_t utf16Length(std::string_view text, std::size_t begin, std::size_t end) {
    end = std::min(end, text.size());
    std::int64_t units = 0;
    std::size_t pos = begin;
    while (pos < end) {
        if (end - pos >= 8 && asciiWord(text.data() + pos)) {
            pos += 8;
            units += 8;
            continue;
        }
        const Utf8Char c = decodeUtf8(text, pos);
        units += c.codePoint >= 0x10000 ? 2 : 1;
        pos += c.length;
    }
    return units;
}

Utf16Offsets::Utf16Offsets(std::string_view text, const std::stop_token& stop) : text_(text) {
    checkpoints_.reserve(text.size() / kBlockBytes + 1);
    std::size_t pos = 0;
    std::int64_t units = 0;
    std::size_t nextBlock = 0;
    while (pos < text.size()) {
        if (pos >= nextBlock) {
            if (stop.stop_requested()) {
                return;
            }
            checkpoints_.push_back({pos, units});
            nextBlock += kBlockBytes;
        }
        const std::size_t stop = std::min(nextBlock, text.size());
        if (asciiRun(text.data() + pos, stop - pos)) {
            units += std::int64_t(stop - pos);
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
        units += c.codePoint >= 0x10000 ? 2 : 1;
        pos += c.length;
    }
    length_ = units;
}

std::int64_t Utf16Offsets::toUtf16(std::size_t byteOffset) const {
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

std::size_t Utf16Offsets::toBytes(std::int64_t utf16Offset) const {
    if (utf16Offset <= 0 || checkpoints_.empty()) {
        return 0;
    }
    if (utf16Offset >= length_) {
        return text_.size();
    }
    auto it =
        std::upper_bound(checkpoints_.begin(), checkpoints_.end(), utf16Offset,
                         [](std::int64_t units, const Checkpoint& c) { return units < c.utf16; });
    const Checkpoint& from = *std::prev(it);
    std::size_t pos = from.byte;
    std::int64_t units = from.utf16;
    while (pos < text_.size()) {
        if (text_.size() - pos >= 8 && units + 8 <= utf16Offset && asciiWord(text_.data() + pos)) {
            pos += 8;
            units += 8;
            continue;
        }
        const Utf8Char c = decodeUtf8(text_, pos);
        const int width = c.codePoint >= 0x10000 ? 2 : 1;
        if (units + width > utf16Offset) {
            return pos;
        }
        units += width;
        pos += c.length;
    }
    return text_.size();
}

}  // namespace tavix::ui
