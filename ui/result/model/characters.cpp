#include "ui/result/model/characters.hpp"

#include <algorithm>

namespace tavix::ui {

namespace {

enum class CharClass { Blank, Word, Break, Other };

CharClass classOf(char byte) {
    if (isBlank(byte)) {
        return CharClass::Blank;
    }
    if (isLineBreak(byte)) {
        return CharClass::Break;
    }
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x80 || isDigit(byte) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
        c == '_') {
        return CharClass::Word;
    }
    return CharClass::Other;
}

}  // namespace

std::size_t nextCharBoundary(TextSource& text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    const std::string_view bytes = text.from(pos, kMaxUtf8Length);
    if (bytes[0] == '\r' && bytes.size() > 1 && bytes[1] == '\n') {
        return pos + 2;
    }
    return pos + decodeUtf8(bytes, 0).length;
}

std::size_t previousCharBoundary(TextSource& text, std::size_t pos) {
    pos = std::min(pos, text.size());
    if (pos == 0) {
        return 0;
    }
    const std::string_view bytes = text.before(pos, kMaxUtf8Length);
    const std::size_t n = bytes.size();
    if (bytes[n - 1] == '\n' && n >= 2 && bytes[n - 2] == '\r') {
        return pos - 2;
    }
    return pos - lastUtf8Length(bytes);
}

std::size_t snapToChar(TextSource& text, std::size_t pos) {
    pos = std::min(pos, text.size());
    if (pos == 0 || pos == text.size()) {
        return pos;
    }
    // Inside a CR LF, or inside a character that starts at most three bytes before.
    constexpr std::size_t kBack = kMaxUtf8Length - 1;
    const std::string_view before = text.before(pos, kBack);
    const std::size_t n = before.size();
    if (before[n - 1] == '\r' && text.at(pos) == '\n') {
        return pos - 1;
    }
    for (std::size_t back = 1; back <= std::min(n, kBack); ++back) {
        const std::string_view head = text.before(pos, kBack);
        if (!isUtf8Continuation(head[head.size() - back])) {
            const std::size_t lead = pos - back;
            return lead + decodeUtf8(text.from(lead, kMaxUtf8Length), 0).length > pos ? lead : pos;
        }
    }
    return pos;
}

std::size_t wordStart(TextSource& text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    const CharClass kind = classOf(text.at(pos));
    if (kind == CharClass::Break) {
        return pos;
    }
    while (pos > 0) {
        const std::size_t before = previousCharBoundary(text, pos);
        if (classOf(text.at(before)) != kind) {
            break;
        }
        pos = before;
    }
    return pos;
}

std::size_t wordEnd(TextSource& text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    const CharClass kind = classOf(text.at(pos));
    if (kind == CharClass::Break) {
        return nextCharBoundary(text, pos);
    }
    while (pos < text.size() && classOf(text.at(pos)) == kind) {
        pos = nextCharBoundary(text, pos);
    }
    return pos;
}

std::pair<std::size_t, std::size_t> paragraphAt(TextSource& text, std::size_t pos,
                                                std::size_t reach) {
    const std::size_t size = text.size();
    std::size_t start = std::min(pos, size);
    const std::size_t farBack = start > reach ? start - reach : 0;
    while (start > farBack && !isLineBreak(text.at(start - 1))) {
        --start;
    }
    std::size_t end = std::min(pos, size);
    const std::size_t farOn = std::min(size, end + reach);
    while (end < farOn && !isLineBreak(text.at(end))) {
        ++end;
    }
    return {start, nextCharBoundary(text, end)};
}

}  // namespace tavix::ui
