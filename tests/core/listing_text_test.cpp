// The listing's text made on demand: every byte range read through a reader is the same range
// of the whole text the window would show, and characters and bytes map onto each other as
// they do in that whole text. The whole texts come from the literal loop, or, for intervals
// too long for it, from a reference that tests every candidate on its own.
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "core/computations.hpp"
#include "core/engines/prime_sieve.hpp"
#include "core/engines/window_counts.hpp"
#include "core/result_text.hpp"
#include "oracle/listing_literal.hpp"
#include "support/listing_reference.hpp"
#include "support/pasted_texts.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::exactText;
using testing::RecordingWindow;

// A decimal separator of two bytes (Arabic), and one beyond U+FFFF, which takes two UTF-16
// units: the listing prints it in every item of a pasted fraction. A pasted number is read
// with a full stop, which these formats take for a group separator.
const NumberFormat kArabicFormat{"\xD9\xAB", "."};
const NumberFormat kAstralFormat{"\xF0\x9D\x9F\x99", "."};

// The UTF-16 offset of every byte offset of a well-formed UTF-8 text, counted from the lead
// bytes alone; -1 inside a character.
std::vector<std::int64_t> utf16OffsetsOf(const std::string& text) {
    std::vector<std::int64_t> offsets(text.size() + 1, -1);
    std::int64_t units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        offsets[i] = units;
        units += byte >= 0xF0 ? 2 : 1;
    }
    offsets[text.size()] = units;
    return offsets;
}

// Byte offsets where the text changes how it is made: the end of the count line and of the
// fixed start, and the first item of every sieve window and of every digit count.
std::vector<std::uint64_t> seamsOf(const std::string& text) {
    std::vector<std::uint64_t> seams{0, text.size()};
    std::uint64_t lastWindow = ~std::uint64_t{0};
    std::size_t lastDigits = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const bool itemStart =
            (pos == 0 || text[pos - 1] == ' ') && text[pos] >= '0' && text[pos] <= '9';
        if (!itemStart) {
            continue;
        }
        std::size_t end = pos;
        std::uint64_t value = 0;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            value = value * 10 + std::uint64_t(text[end] - '0');
            ++end;
        }
        if (value / kWindowSpan != lastWindow || end - pos != lastDigits) {
            seams.push_back(pos);
            seams.push_back(pos >= 2 ? pos - 2 : 0);  // before its separator
        }
        lastWindow = value / kWindowSpan;
        lastDigits = end - pos;
    }
    return seams;
}

// Reads the text through one reader in random order, over the seams and at random, then in
// chunks from start to end, and compares every range with the whole text.
void expectSameAsWhole(const ResultText& text, const std::string& whole, unsigned seed) {
    ASSERT_EQ(text.size(), whole.size());
    std::mt19937_64 random(seed);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const std::uint64_t seam : seamsOf(whole)) {
        for (const std::int64_t before : {0, 1, 3, 40}) {
            for (const std::int64_t after : {0, 1, 2, 3, 40}) {
                const auto begin = std::uint64_t(std::max<std::int64_t>(0, seam - before));
                ranges.push_back({begin, std::min<std::uint64_t>(whole.size(), seam + after)});
            }
        }
    }
    std::uniform_int_distribution<std::uint64_t> anywhere(0, whole.size());
    for (int i = 0; i < 200; ++i) {
        const std::uint64_t a = anywhere(random);
        const std::uint64_t b = std::min<std::uint64_t>(whole.size(), a + random() % 3000);
        ranges.push_back({a, b});
    }
    ranges.push_back({0, whole.size()});
    std::shuffle(ranges.begin(), ranges.end(), random);

    const auto reader = text.reader();
    for (const auto& [begin, end] : ranges) {
        std::string piece(end - begin, '?');
        reader->read(begin, piece);
        ASSERT_EQ(piece, whole.substr(begin, end - begin)) << "bytes " << begin << " to " << end;
    }
    std::string chunks;
    const auto streaming = text.reader();
    for (std::uint64_t pos = 0; pos < whole.size();) {
        const std::uint64_t n = std::min<std::uint64_t>(whole.size() - pos, 1 + random() % 70000);
        std::string chunk(n, '?');
        streaming->read(pos, chunk);
        chunks += chunk;
        pos += n;
    }
    ASSERT_EQ(chunks, whole);
    EXPECT_EQ(text.slice(0, whole.size()), whole);
}

// Characters against bytes: at every character boundary, or at `samples` random ones.
void expectSameCharacters(const ResultText& text, const std::string& whole, int samples = -1) {
    const std::vector<std::int64_t> offsets = utf16OffsetsOf(whole);
    ASSERT_EQ(text.length(), std::uint64_t(offsets.back()));
    std::vector<std::uint64_t> bytes;
    if (samples < 0) {
        for (std::uint64_t i = 0; i <= whole.size(); ++i) {
            bytes.push_back(i);
        }
    } else {
        std::mt19937_64 random(samples);
        for (int i = 0; i < samples; ++i) {
            bytes.push_back(random() % (whole.size() + 1));
        }
    }
    for (const std::uint64_t byte : bytes) {
        if (offsets[byte] < 0) {
            continue;
        }
        const auto units = std::uint64_t(offsets[byte]);
        ASSERT_EQ(text.characterOffset(byte), units) << "byte " << byte;
        ASSERT_EQ(text.byteOffset(units), byte) << "character " << units;
        const bool pair = byte < whole.size() && static_cast<unsigned char>(whole[byte]) >= 0xF0;
        if (pair) {  // the second half of a surrogate pair belongs to its character
            ASSERT_EQ(text.byteOffset(units + 1), byte) << "character " << units + 1;
        }
    }
    EXPECT_EQ(text.byteOffset(text.length() + 5), whole.size());
}

struct Listed {
    ResultTextPtr text;
    std::string whole;  // the text of txt at the end of the literal loop or the reference
};

// The fast listing's text, and the whole text of the literal loop for the same click.
Listed listedWithLiteral(const std::string& ini, const std::string& last,
                         const NumberFormat& format) {
    RecordingWindow fast(testing::withInterval(ini, last));
    RecordingWindow literal(testing::withInterval(ini, last));
    cmdCalc_Click(fast, format);
    oracle::cmdCalc_Click_literal(literal, format);
    return {fast.result, literal.state.txt};
}

Listed listedWithReference(double first, double last, const NumberFormat& format) {
    const RecordingWindow fast = testing::listed(exactText(first), exactText(last), format, false);
    return {fast.result, testing::referenceListing(first, last, format).text()};
}

TEST(ListingText, RangesOfShortListingsAsTheLiteralLoopWritesThem) {
    const std::vector<std::string> firsts =
        testing::withRandomPastedNumbers({"0", "1", "2", "3", "4", "5", "7", "-3", "2.5", "4.5",
                                          "5.3", "6.6", "97", "1e3", "99.75", "9999.4"},
                                         21, 60);
    const double lengths[] = {-0.5, 0, 2, 37.25, 400};
    unsigned seed = 0;
    for (const NumberFormat& format :
         {fullStopFormat(), decimalCommaFormat(), kArabicFormat, kAstralFormat}) {
        for (const std::string& first : firsts) {
            for (const double length : {lengths[seed % 5], lengths[(seed + 2) % 5]}) {
                const std::string last = exactText(std::stod(first) + length);
                const Listed listed = listedWithLiteral(first, last, format);
                SCOPED_TRACE("[" + first + "] to [" + last + "], separator " +
                             format.decimalSeparator);
                expectSameAsWhole(*listed.text, listed.whole, ++seed);
                expectSameCharacters(*listed.text, listed.whole);
            }
        }
    }
}

TEST(ListingText, RangesAcrossWindowsAndDigitCounts) {
    struct Case {
        double first, last;
        const NumberFormat& format;
    };
    const double span = double(kWindowSpan);
    const Case cases[] = {
        {5, 2 * span + 100, fullStopFormat()},           // the whole first windows
        {span - 3000.5, span + 3000, fullStopFormat()},  // x.5: rounds to even, no primes
        {span - 3000.25, span + 3000, kArabicFormat},
        {99990.75, 100020, kAstralFormat},  // a fraction gaining a digit
        {999950, 1000100, fullStopFormat()},
        {9999990.6, 10000030, decimalCommaFormat()},
        {2147473647, 2147483648, fullStopFormat()},  // the overflow's partial list
        {2147483600.7, 1e300, kArabicFormat},
    };
    unsigned seed = 0;
    for (const Case& c : cases) {
        const Listed listed = listedWithReference(c.first, c.last, c.format);
        SCOPED_TRACE(exactText(c.first) + " to " + exactText(c.last));
        ASSERT_NE(listed.text, nullptr);
        expectSameAsWhole(*listed.text, listed.whole, ++seed);
        expectSameCharacters(*listed.text, listed.whole, 3000);
    }
}

TEST(ListingText, FixedAnswersAndTheStartAlone) {
    const char* const cases[][3] = {
        {"2", "2", "Total de 1 número primo: 2"},
        {"0", "3", "Total de 2 números primos: 2, 3"},
        {"0", "1", "Não há números primos neste intervalo"},
        {"3", "4", "Total de 1 número primo: 3"},
        {"24", "28", "Não há números primos neste intervalo"},
    };
    for (const auto& c : cases) {
        const Listed listed = listedWithLiteral(c[0], c[1], fullStopFormat());
        ASSERT_EQ(listed.whole, c[2]);
        expectSameAsWhole(*listed.text, c[2], 1);
        expectSameCharacters(*listed.text, c[2]);
    }
}

// Windows in the middle of an interval are counted from the table, not sieved: the text still
// holds every prime, at the place the counts give it.
TEST(ListingText, WindowsCountedFromTheTable) {
    const std::uint64_t low = 1000 * kWindowSpan - 7;
    const std::uint64_t high = 1003 * kWindowSpan + 11;
    const RecordingWindow window = testing::listed(std::to_string(low), std::to_string(high));
    const std::string whole = testing::listingBetween(low, high);
    expectSameAsWhole(*window.result, whole, 9);
    expectSameCharacters(*window.result, whole, 2000);
}

// The primes from 7 up in a window, by a sieve of their own.
std::uint64_t primesInWindowBySieve(std::uint64_t window) {
    const std::uint64_t low = std::max<std::uint64_t>(window * kWindowSpan, 7);
    return testing::primesBetween(low, (window + 1) * kWindowSpan - 1).size();
}

// Both ends of the table: its first and last window, and none past the last whole window
// below 2^31.
TEST(ListingText, TableEnds) {
    ASSERT_LE(kCountedWindows * kWindowSpan, std::uint64_t{1} << 31);
    ASSERT_GT((kCountedWindows + 1) * kWindowSpan, std::uint64_t{1} << 31);
    for (const std::uint64_t w : {std::uint64_t{0}, kCountedWindows - 1}) {
        EXPECT_EQ(primesInWholeWindow(w), primesInWindowBySieve(w)) << "window " << w;
    }
    EXPECT_EQ(primesInWholeWindow(kCountedWindows), std::nullopt);
    EXPECT_EQ(primesInWholeWindow(kCountedWindows + 1), std::nullopt);
}

TEST(ListingText, TableOfWholeWindowsSlow) {
    for (std::uint64_t w = 0; w < kCountedWindows; ++w) {
        ASSERT_EQ(primesInWholeWindow(w), primesInWindowBySieve(w)) << "window " << w;
    }
}

// A slice that reaches past the end is cut at the end, as for a text kept whole.
TEST(ListingText, SlicePastTheEnd) {
    const ResultTextPtr text = testing::listingText("0", "1000");
    ASSERT_FALSE(text->contiguous());
    const std::string whole = text->toString();
    const std::uint64_t size = whole.size();
    EXPECT_EQ(text->slice(size - 5, size + 10), whole.substr(size - 5));
    EXPECT_EQ(text->slice(0, ~std::uint64_t{0}), whole);
    EXPECT_EQ(text->slice(size + 1, size + 9), "");
}

// The whole range: laid out at once, and read anywhere in it without making the rest.
TEST(ListingText, TheWholeRangeReadAnywhere) {
    RecordingWindow window(testing::withInterval("0", "2147483647"));
    window.makeWholeText = false;
    cmdCalc_Click(window, fullStopFormat());
    const ResultText& text = *window.result;
    ASSERT_EQ(text.size(), 1203807730u);
    ASSERT_EQ(text.length(), 1203807729u);  // the "ú" of "números" takes two bytes
    const std::string head = "Total de 105097565 números primos: 2, 3, 5, 7, 11, 13";
    const std::string tail = ", 2147483587, 2147483629, 2147483647";
    EXPECT_EQ(text.slice(0, head.size()), head);
    EXPECT_EQ(text.slice(text.size() - tail.size(), text.size()), tail);

    // Forty characters at the 600,000,000th: whole numbers between the first and last
    // separators, each the next prime after the one before.
    const std::uint64_t at = text.byteOffset(600'000'000);
    EXPECT_EQ(text.characterOffset(at), 600'000'000u);
    const std::string piece = text.slice(at, at + 40);
    const std::size_t from = piece.find(", ") + 2;
    const std::size_t to = piece.rfind(", ");
    ASSERT_LT(from, to);
    std::vector<std::int64_t> numbers;
    for (std::size_t pos = from; pos < to; pos = piece.find(", ", pos) + 2) {
        numbers.push_back(std::stoll(piece.substr(pos)));
    }
    ASSERT_GE(numbers.size(), 2u);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_TRUE(testing::isPrimeNumber(numbers[i])) << numbers[i];
        for (std::int64_t n = i ? numbers[i - 1] + 1 : numbers[i]; i && n < numbers[i]; ++n) {
            EXPECT_FALSE(testing::isPrimeNumber(n)) << n << " missing from " << piece;
        }
    }
}

}  // namespace
}  // namespace tavix
