// The result area's lines and scrolling without a widget: the lines in sight after scrolling
// to a line, by lines, to the end, or to a position, before and after the line index is
// complete, and the caret moves of the keys; all against the reference wrap.
#include "ui/result/model/viewport.hpp"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model_support.hpp"
#include "ui/result/model/navigation.hpp"

namespace tavix::ui {
namespace {

constexpr int kRows = 25;
constexpr Width kLineWidth = 834 * kWidthUnit;

// A layout over a listing, as the window holds it; the index's notices are taken in on this
// thread when asked to.
class ViewportTest : public ::testing::Test {
  protected:
    void show(const ResultTextPtr& text) {
        whole = text->toString();
        reference = testing::referenceLineStarts(whole, kLineWidth);
        layout.setText(text);
        layout.setWidths(testing::madeUpWidths());
        layout.setView(kLineWidth, kRows);
    }
    void takeNotices() {
        const std::uint64_t generation = lastNotice.exchange(0);
        if (generation != 0) {
            layout.indexProgressed(generation);
        }
    }
    // The reference line holding `pos`.
    std::size_t lineOf(std::size_t pos) const {
        return std::size_t(std::upper_bound(reference.begin(), reference.end(), pos) -
                           reference.begin() - 1);
    }
    std::size_t visibleTopLine() { return lineOf(layout.visibleLines(1).at(0).start); }
    void expectTop(std::size_t line) {
        ASSERT_TRUE(layout.topExact());
        EXPECT_EQ(layout.topLine(), std::int64_t(line));
        EXPECT_EQ(layout.top(), reference.at(line));
    }

    std::atomic<std::uint64_t> lastNotice{0};
    int moves = 0;
    Viewport layout{[this](std::uint64_t generation) { lastNotice = generation; },
                    [this] { ++moves; }};
    std::string whole;
    std::vector<std::size_t> reference;
};

TEST_F(ViewportTest, ScrollsToLinesOnceTheIndexIsComplete) {
    show(testing::listingText("0", "10000000"));
    layout.waitForIndex();
    ASSERT_TRUE(layout.complete());
    const auto lines = std::int64_t(reference.size());
    EXPECT_EQ(layout.lineCount(), lines);
    EXPECT_EQ(layout.maxTopLine(), lines - kRows);
    for (const std::int64_t line :
         {std::int64_t{63}, std::int64_t{64}, std::int64_t{65}, std::int64_t{4095},
          std::int64_t{20000}, lines - kRows, std::int64_t{1}, std::int64_t{0}}) {
        layout.scrollToLine(line);
        expectTop(std::size_t(line));
    }
    layout.scrollToLine(lines + 100);  // past the end: the last page
    expectTop(std::size_t(lines - kRows));

    layout.scrollToLine(5000);
    EXPECT_EQ(layout.scrollLines(3), 3);
    expectTop(5003);
    EXPECT_EQ(layout.scrollLines(-5003 - 10), -5003);
    expectTop(0);
    layout.scrollToEnd();
    EXPECT_EQ(layout.scrollLines(1), 0);
    const std::vector<LineSpan> shown = layout.visibleLines(kRows);
    ASSERT_EQ(shown.size(), std::size_t(kRows));
    EXPECT_TRUE(shown.back().last);
    EXPECT_GT(moves, 0);
}

// Right after a whole-range listing the index has hardly begun: the end, a far line and a
// far position are shown at once, wrapped on the spot, and the line numbers become exact when
// the index gets there.
TEST_F(ViewportTest, FarPlacesBeforeTheIndexGetsThere) {
    const ResultTextPtr text = testing::listingText("2000000000", "2147483647");
    // The reference wrap of 127 MB would take long: these checks need only the line breaker.
    layout.setText(text);
    layout.setWidths(testing::madeUpWidths());
    layout.setView(kLineWidth, kRows);

    layout.scrollToEnd();
    std::vector<LineSpan> shown = layout.visibleLines(kRows);
    ASSERT_EQ(shown.size(), std::size_t(kRows));
    EXPECT_TRUE(shown.back().last);
    EXPECT_EQ(text->slice(shown.back().end - 12, shown.back().end), ", 2147483647");

    // A position far on: its line comes into sight, wrapped from a blank before it.
    const std::size_t far = text->size() / 2;
    layout.ensureVisible(far);
    shown = layout.visibleLines(kRows);
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(shown.front().start, far);
    EXPECT_GT(shown.back().next, far);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].start, shown[i - 1].next);
    }
    const LineSpan holding = layout.lineHolding(far);
    EXPECT_TRUE(holding.holds(far));

    // Waiting for the index makes the top line exact: the line that holds the same text.
    const std::size_t top = layout.top();
    layout.waitForIndex();
    ASSERT_TRUE(layout.complete());
    EXPECT_TRUE(layout.topExact());
    EXPECT_TRUE(layout.visibleLines(1).at(0).holds(top));
}

// With the index on its own thread, or in pieces on this one when no thread is to be had.
TEST_F(ViewportTest, TheEndFollowedUntilTheIndexIsComplete) {
    for (const bool refused : {false, true}) {
        const testing::IndexThreadsRefused threads(refused);
        show(testing::listingText("0", "10000000"));
        layout.scrollToEnd();
        while (!layout.complete()) {
            takeNotices();
        }
        takeNotices();
        layout.waitForIndex();
        expectTop(reference.size() - kRows);
    }
}

TEST_F(ViewportTest, PositionsComeIntoSightWithTheLeastScrolling) {
    show(testing::listingText("0", "10000000"));
    layout.waitForIndex();
    // Below the view: its line becomes the last one in sight.
    const std::size_t below = reference[300] + 5;
    layout.ensureVisible(below);
    expectTop(300 - kRows + 1);
    // Already in sight: nothing moves.
    layout.ensureVisible(reference[290]);
    expectTop(300 - kRows + 1);
    // Above: its line becomes the first.
    layout.ensureVisible(reference[100] + 1);
    expectTop(100);
    // Far below, beyond the lines walked on the spot.
    const std::size_t far = reference.size() - 1000;
    ASSERT_GT(far, 100u + 2 * Viewport::kMaxWalkLines);
    layout.ensureVisible(reference[far]);
    expectTop(far - kRows + 1);
    EXPECT_EQ(layout.lineHolding(reference[1234] + 7).start, reference[1234]);
    EXPECT_EQ(layout.lineHolding(reference[1234] + 7).next, reference[1235]);
}

// A narrower view lays the text out again and keeps the top line's text in sight.
TEST_F(ViewportTest, ANewWidthKeepsTheTopText) {
    show(testing::listingText("0", "3000000"));
    layout.waitForIndex();
    layout.scrollToLine(20000);
    const std::size_t topText = layout.top() + 5;
    layout.setView(400 * kWidthUnit, kRows);
    layout.waitForIndex();
    const std::vector<std::size_t> narrow = testing::referenceLineStarts(whole, 400 * kWidthUnit);
    ASSERT_EQ(layout.lineCount(), std::int64_t(narrow.size()));
    const LineSpan first = layout.visibleLines(1).at(0);
    EXPECT_TRUE(first.holds(topText));
    EXPECT_TRUE(layout.topExact());
    EXPECT_EQ(narrow.at(std::size_t(layout.topLine())), first.start);
}

TEST_F(ViewportTest, KeysMoveTheCaret) {
    show(testing::listingText("0", "3000000"));
    layout.waitForIndex();
    Caret caret;
    const auto press = [&](Motion motion, bool extend = false) {
        const CaretMove move = moveCaret(layout, caret, motion, extend);
        caret.anchor = extend ? caret.anchor : move.pos;
        caret.caret = move.pos;
        caret.preferredX = move.keepX;
        layout.ensureVisible(move.pos);  // as the window does with every caret move
    };
    // Down keeps the x of the caret: under "de" of "Total de" is a character of line 1 at
    // the same x, found by the reference widths.
    caret.caret = caret.anchor = 6;  // before "de"
    press(Motion::NextLine);
    EXPECT_EQ(lineOf(caret.caret), 1u);
    press(Motion::NextLine);
    EXPECT_EQ(lineOf(caret.caret), 2u);
    press(Motion::PreviousLine);
    press(Motion::PreviousLine);
    EXPECT_EQ(caret.caret, 6u);  // back where it was, the x kept

    // A page down moves the view and the caret a page.
    press(Motion::NextPage);
    EXPECT_EQ(layout.topLine(), kRows);
    EXPECT_EQ(lineOf(caret.caret), std::size_t(kRows));

    // The ends of the line: before the blank where it wraps, and its start.
    press(Motion::EndOfLine);
    EXPECT_EQ(caret.caret, reference[kRows + 1] - 1);
    press(Motion::StartOfLine, true);
    EXPECT_EQ(caret.selectionStart(), reference[kRows]);
    EXPECT_EQ(caret.selectionEnd(), reference[kRows + 1] - 1);

    // Words, then the ends of the text.
    caret = Caret();
    press(Motion::NextWord);
    EXPECT_EQ(whole.substr(0, caret.caret), "Total ");
    press(Motion::NextWord);
    press(Motion::NextWord);
    EXPECT_EQ(whole.substr(0, caret.caret), "Total de 216816 ");
    press(Motion::PreviousWord);
    EXPECT_EQ(whole.substr(0, caret.caret), "Total de ");
    press(Motion::NextChar, true);
    press(Motion::NextChar);  // a plain move drops the selection at its end
    EXPECT_FALSE(caret.hasSelection());
    EXPECT_EQ(caret.caret, 10u);
    press(Motion::EndOfText);
    EXPECT_EQ(caret.caret, whole.size());
    EXPECT_TRUE(layout.visibleLines(kRows).back().last);
    press(Motion::StartOfText);
    EXPECT_EQ(caret.caret, 0u);
}

}  // namespace
}  // namespace tavix::ui
