// Line breaking and the line index: a multi-megabyte listing wrapped in the background, a
// chunk at a time, against a reference wrap written from the definition; and the texts that
// are not lists of numbers (line breaks, tabs, runs of blanks, broken UTF-8) tiled into lines.
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "model_support.hpp"
#include "ui/result/model/line_breaker.hpp"
#include "ui/result/model/line_index.hpp"
#include "ui/result/model/text_source.hpp"

namespace tavix::ui {
namespace {

using testing::madeUpWidths;
using testing::referenceLineStarts;

void expectIndexOf(const LineIndex& index, const std::vector<std::size_t>& starts) {
    ASSERT_TRUE(index.complete());
    ASSERT_EQ(index.lineCount(), std::int64_t(starts.size()));
    const std::int64_t samples = (index.lineCount() - 1) / LineIndex::kLinesPerSample + 1;
    ASSERT_EQ(index.sampleCount(), samples);
    for (std::int64_t i = 0; i < samples; ++i) {
        ASSERT_EQ(index.sample(i), starts[std::size_t(i * LineIndex::kLinesPerSample)])
            << "sample " << i;
    }
}

// The listing from 0 to 10000000, 5.9 MB, made on demand and kept whole: the index streams it
// through the line breaker on its own thread and finds every line the reference finds.
TEST(LineWrap, MultiMegabyteListingAgainstTheReferenceSlow) {
    const ResultTextPtr made = testing::listingText("0", "10000000");
    const ResultTextPtr whole = makePlainText(made->toString());
    ASSERT_EQ(made->size(), 5891726u);
    const std::string text = whole->toString();
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    // A wide line, a narrow one, and one narrower than a ten-digit number, which cuts words.
    for (const Width lineWidth : {Width{834 * 64}, Width{120 * 64}, Width{70 * 64 + 17}}) {
        SCOPED_TRACE("line width " + std::to_string(lineWidth / 64));
        const std::vector<std::size_t> reference = referenceLineStarts(text, lineWidth);
        for (const ResultTextPtr& source : {made, whole}) {
            std::atomic<int> notices{0};
            LineIndex index(source, *widths, lineWidth, [&] { ++notices; });
            // Read while the layout goes on.
            while (!index.complete() && index.sampleCount() < 3) {
            }
            const std::int64_t early = index.sampleCount();
            EXPECT_EQ(index.sample(early - 1),
                      reference[std::size_t((early - 1) * LineIndex::kLinesPerSample)]);
            index.wait();
            expectIndexOf(index, reference);
            EXPECT_GE(notices.load(), 1);  // at least the one that tells it is complete
        }
        // Lines looked up anywhere, through a source that keeps little: the same lines.
        TextSource source(made, 4096);
        const LineBreaker breaker(*widths, lineWidth);
        std::mt19937 random(7);
        for (int i = 0; i < 2000; ++i) {
            const std::size_t line = random() % (reference.size() - 1);
            const LineSpan span = breaker.line(source, reference[line]);
            ASSERT_EQ(span.next, reference[line + 1]) << "line " << line;
            ASSERT_FALSE(span.last);
        }
        EXPECT_TRUE(breaker.line(source, reference.back()).last);
    }
}

// The layout thread and the reader of its samples at the same time, on a text just long enough
// to be laid out on a thread.
TEST(LineWrap, IndexBuiltOnItsOwnThread) {
    const ResultTextPtr text = testing::listingText("0", "2100000");
    ASSERT_GT(text->size(), LineIndex::kSynchronousBytes);
    const std::vector<std::size_t> reference = referenceLineStarts(text->toString(), 300 * 64);
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    std::atomic<int> notices{0};
    LineIndex index(text, *widths, 300 * 64, [&] { ++notices; });
    for (std::int64_t seen = 0; !index.complete();) {
        const std::int64_t samples = index.sampleCount();
        for (; seen < samples; ++seen) {
            ASSERT_EQ(index.sample(seen),
                      reference[std::size_t(seen * LineIndex::kLinesPerSample)]);
        }
    }
    index.wait();
    expectIndexOf(index, reference);
    EXPECT_GE(notices.load(), 1);
}

// With no thread to be had, the index asks its owner for pieces, one notice at a time, and each
// piece publishes the same samples the thread would; wait() lays out what is left at once.
TEST(LineWrap, IndexBuiltInPiecesWithoutAThread) {
    const ResultTextPtr text = testing::listingText("0", "6000000");
    const std::vector<std::size_t> reference = referenceLineStarts(text->toString(), 300 * 64);
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    const testing::IndexThreadsRefused noThreads;
    for (const bool waited : {false, true}) {
        int notices = 0;
        LineIndex index(text, *widths, 300 * 64, [&] { ++notices; });
        ASSERT_EQ(notices, 1);  // the first piece is asked for at once
        int pieces = 0;
        for (; index.needsSteps() && !(waited && pieces == 2); ++pieces) {
            index.step(std::chrono::nanoseconds(0));  // pieces of 4096 lines
            ASSERT_EQ(notices, pieces + 2);
            const std::int64_t last = index.sampleCount() - 1;
            ASSERT_EQ(index.sample(last),
                      reference[std::size_t(last * LineIndex::kLinesPerSample)]);
        }
        index.wait();
        expectIndexOf(index, reference);
        EXPECT_EQ(pieces, waited ? 2 : (std::int64_t(reference.size()) + 4095) / 4096);
    }
}

// Small texts: the whole layout at once on the calling thread, no notice.
TEST(LineWrap, ShortTextsAreLaidOutAtOnce) {
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    const ResultTextPtr text = testing::listingText("0", "3000");
    bool noticed = false;
    LineIndex index(text, *widths, 200 * 64, [&] { noticed = true; });
    ASSERT_TRUE(index.complete());
    EXPECT_FALSE(noticed);
    expectIndexOf(index, referenceLineStarts(text->toString(), 200 * 64));
}

// A layout thread is stopped and joined when its index goes away, however far it got.
TEST(LineWrap, AnIndexGoneMidwayStopsItsThread) {
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    const ResultTextPtr text = testing::listingText("0", "2147483647");
    for (int i = 0; i < 3; ++i) {
        LineIndex index(text, *widths, 500 * 64, [] {});
        EXPECT_FALSE(index.complete());
    }
}

struct OddText {
    const char* name;
    std::string text;
    Width lineWidth;
    std::vector<std::string> lines;  // the characters of each line, line breaks left out
};

// Texts a listing never makes, with the lines a word-wrapping text box gives them.
TEST(LineWrap, LineBreaksTabsAndBlanks) {
    const OddText cases[] = {
        {"line feeds and carriage returns",
         "2, 3\n5, 7\r\n\r\n11\r13\n",
         300 * 64,
         {"2, 3", "5, 7", "", "11", "13", ""}},
        // "11, 13, " is 62 px: the blank after 13 hangs past the edge.
        {"a blank hangs past the edge", "11, 13, 17", 60 * 64, {"11, 13, ", "17"}},
        // A run of blanks longer than the line goes on on the next one.
        // Blanks hang up to a line's width past the edge (here, up to 100 px).
        {"a long run of blanks",
         "ab" + std::string(40, ' ') + "cd",
         50 * 64,
         {"ab" + std::string(19, ' '), std::string(21, ' '), "cd"}},
        // Tabs stop every 80 px.
        {"tabs", "1\t2\t3", 165 * 64, {"1\t2\t", "3"}},
        {"a word wider than the line", "1, 123456789, 2", 40 * 64, {"1, ", "1234", "5678", "9, 2"}},
        {"wide characters",
         "\xC3\xBA\xC3\xBA\xC3\xBA \xF0\x9D\x9F\x99\xF0\x9D\x9F\x99",
         25 * 64,
         {"\xC3\xBA\xC3\xBA", "\xC3\xBA ", "\xF0\x9D\x9F\x99\xF0\x9D\x9F\x99"}},
    };
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    for (const OddText& c : cases) {
        SCOPED_TRACE(c.name);
        TextSource source(makePlainText(c.text));
        const LineBreaker breaker(*widths, c.lineWidth);
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (;;) {
            const LineSpan line = breaker.line(source, start);
            lines.push_back(c.text.substr(line.start, line.end - line.start));
            if (line.last) {
                break;
            }
            start = line.next;
        }
        EXPECT_EQ(lines, c.lines);
    }
}

// Whatever the bytes, the lines tile the text: each starts where the last one ended, takes at
// least one byte, and no more than a line may hold.
TEST(LineWrap, AnyBytesTileIntoLines) {
    const std::string zeroWidth = "\xE2\x80\x8B";  // U+200B, given no width below
    std::string manyZeroWidth;
    for (int i = 0; i < 20000; ++i) {
        manyZeroWidth += zeroWidth;
    }
    const std::string texts[] = {
        std::string("2, 3, \xC3 5, \xE2\x82 7, \xFF\xFE 11, \xF0\x9F\x98 13") +
            std::string(200, '\x80'),
        "a" + std::string(50000, ' ') + "b",
        std::string("2,\t3,\t\t5, \x01\x02 7\x7F, 11\t13") + std::string(30000, '\t') + "x",
        manyZeroWidth,
        std::string(100000, '7'),
    };
    std::array<Width, 95> ascii{};
    ascii.fill(7 * kWidthUnit);
    CharWidths widths(
        ascii, [](char32_t c) { return c == 0x200B ? Width{0} : 7 * kWidthUnit; }, 56 * kWidthUnit);
    for (const std::string& bytes : texts) {
        for (const std::size_t chunk : {std::size_t{64}, TextSource::kDefaultChunk}) {
            TextSource text(testing::readThroughReaders(bytes), chunk);
            const LineBreaker breaker(widths, 100 * kWidthUnit);
            std::size_t covered = 0;
            for (;;) {
                const LineSpan line = breaker.line(text, covered);
                ASSERT_EQ(line.start, covered);
                ASSERT_LE(line.end, line.next);
                ASSERT_TRUE(line.next > line.start || line.last);
                ASSERT_LE(line.next - line.start, LineBreaker::kMaxLineBytes);
                covered = line.next;
                if (line.last) {
                    break;
                }
            }
            EXPECT_EQ(covered, bytes.size());
        }
    }
}

// Measuring within a line: x of every caret position, the position nearest to an x, the last
// caret position of a wrapped line.
TEST(LineWrap, PositionsWithinALine) {
    const std::unique_ptr<CharWidths> widths = madeUpWidths();
    const std::string text = "12, n\xC3\xBAmeros, 7";
    TextSource source(makePlainText(text));
    const LineBreaker breaker(*widths, 70 * 64);
    const LineSpan first = breaker.line(source, 0);
    ASSERT_EQ(text.substr(first.start, first.next - first.start), "12, ");
    const LineText line = breaker.lineText(source, first);
    const struct {
        std::size_t pos;
        double x;  // pixels
    } positions[] = {{0, 0}, {1, 9}, {2, 18}, {3, 22.5}, {4, 27}};
    for (const auto& p : positions) {
        EXPECT_EQ(breaker.xOf(line, p.pos), Width(p.x * 64)) << p.pos;
    }
    EXPECT_EQ(breaker.offsetAt(line, 4 * 64), 0u);    // nearer the start of "1"
    EXPECT_EQ(breaker.offsetAt(line, 5 * 64), 1u);    // past its middle
    EXPECT_EQ(breaker.offsetAt(line, 500 * 64), 3u);  // the end of a wrapped line: before its blank
    EXPECT_EQ(breaker.caretEnd(line), 3u);

    const LineSpan second = breaker.line(source, first.next);
    const LineText word = breaker.lineText(source, second);
    EXPECT_EQ(text.substr(second.start, second.end - second.start), "n\xC3\xBAmeros, ");
    EXPECT_EQ(breaker.xOf(word, second.start + 3), (8 + 10) * 64);  // after the two-byte "ú"
    EXPECT_EQ(breaker.offsetAt(word, 12 * 64), second.start + 1);   // in "ú", nearer its start
}

}  // namespace
}  // namespace tavix::ui
