// A result kept as a plain string, behind the interface every result text has: characters
// counted and mapped to bytes across the 64 KiB blocks it keeps checkpoints for, ranges, and
// whether it holds line breaks.
#include "core/result_text.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/utf8.hpp"

namespace tavix {
namespace {

struct Case {
    const char* name;
    std::string text;
};

std::vector<Case> cases() {
    // Multi-byte characters on both sides of every block boundary.
    std::string mixed;
    while (mixed.size() < 300'000) {
        mixed += "7, \xC3\xBA, \xF0\x9D\x9F\x99, \xF4\x8F\xBF\xBF, \xC3\xA7\xC3\xA3o, ";
    }
    // Blocks of plain ASCII, read a block at a time, after characters that straddle the block
    // boundaries.
    std::string ascii(300'000, '7');
    ascii.replace(65535, 2, "\xC3\xBA");
    ascii.replace(131070, 4, "\xF0\x9D\x9F\x99");
    ascii.replace(196607, 3, "\xE2\x82\xAC");
    return {{"multi-byte throughout", mixed}, {"ASCII blocks", ascii}, {"empty", ""}};
}

TEST(PlainText, CharactersAndBytesMapOntoEachOtherSlow) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const ResultTextPtr text = makePlainText(c.text);
        // The UTF-16 offset of each character, from its lead byte.
        std::uint64_t units = 0;
        for (std::size_t i = 0; i <= c.text.size(); ++i) {
            const bool lead =
                i == c.text.size() || (static_cast<unsigned char>(c.text[i]) & 0xC0) != 0x80;
            // Every character near the block boundaries, a few in between.
            const std::size_t fromBoundary = std::min(i % 65536, 65536 - i % 65536);
            const bool checked = fromBoundary < 40 || i % 997 == 0 || i == c.text.size();
            if (!lead) {
                continue;
            }
            const bool pair = i < c.text.size() && static_cast<unsigned char>(c.text[i]) >= 0xF0;
            if (checked) {
                ASSERT_EQ(text->characterOffset(i), units) << "byte " << i;
                ASSERT_EQ(text->byteOffset(units), i) << "unit " << units;
                if (pair) {
                    ASSERT_EQ(text->byteOffset(units + 1), i);  // its second half
                }
            }
            units += i < c.text.size() ? (pair ? 2 : 1) : 0;
        }
        EXPECT_EQ(text->length(), units);
        EXPECT_EQ(text->byteOffset(units + 10), c.text.size());
        EXPECT_EQ(text->size(), c.text.size());
    }
}

TEST(PlainText, RangesAndLineBreaks) {
    const ResultTextPtr text = makePlainText("2, 3\r\n5");
    EXPECT_EQ(text->slice(1, 5), ", 3\r");
    EXPECT_EQ(text->slice(5, 100), "\n5");
    EXPECT_EQ(text->slice(4, 4), "");
    EXPECT_EQ(text->toString(), "2, 3\r\n5");
    EXPECT_TRUE(text->hasLineBreaks());
    EXPECT_FALSE(makePlainText("Total de 2 números primos: 2, 3")->hasLineBreaks());
    std::string piece(3, '?');
    text->reader()->read(2, piece);
    EXPECT_EQ(piece, " 3\r");
}

// The reader of UTF-8 at the edges of each length: the first and last character of each, and
// the sequences just past them (overlong, surrogates, beyond U+10FFFF, cut short), which are
// one byte of U+FFFD each.
TEST(Utf8, EachLengthToItsLimits) {
    const struct {
        std::string bytes;
        char32_t codePoint;
        int length;
    } cases[] = {
        {"\x7F", 0x7F, 1},
        {"\xC2\x80", 0x80, 2},
        {"\xDF\xBF", 0x7FF, 2},
        {"\xE0\xA0\x80", 0x800, 3},
        {"\xEF\xBF\xBF", 0xFFFF, 3},
        {"\xF0\x90\x80\x80", 0x10000, 4},
        {"\xF3\xBF\xBF\xBF", 0xFFFFF, 4},
        {"\xF4\x80\x80\x80", 0x100000, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"\xC1\xBF", kReplacementCharacter, 1},          // overlong
        {"\xE0\x9F\xBF", kReplacementCharacter, 1},      // overlong
        {"\xED\xA0\x80", kReplacementCharacter, 1},      // a surrogate
        {"\xF0\x8F\xBF\xBF", kReplacementCharacter, 1},  // overlong
        {"\xF4\x90\x80\x80", kReplacementCharacter, 1},  // beyond U+10FFFF
        {"\xF5\x80\x80\x80", kReplacementCharacter, 1},
        {"\xF4\x8F\xBF", kReplacementCharacter, 1},  // cut short
        {"\x80", kReplacementCharacter, 1},
    };
    for (const auto& c : cases) {
        const Utf8Char read = decodeUtf8(c.bytes, 0);
        EXPECT_EQ(read.codePoint, c.codePoint) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(read.length, c.length) << ::testing::PrintToString(c.bytes);
        // Read back from its end, and counted in UTF-16 units.
        EXPECT_EQ(lastUtf8Length("7" + c.bytes), c.length == 1 ? 1 : c.bytes.size());
        EXPECT_EQ(utf16Length(c.bytes),
                  c.length == 1 ? c.bytes.size() : std::size_t(utf16Units(c.codePoint)));
    }
}

}  // namespace
}  // namespace tavix
