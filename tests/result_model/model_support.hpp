// What the tests of the result area's widget-free parts share: widths made up for a font and
// a reference word wrap written from the definition.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/result_text.hpp"
#include "support/recording_window.hpp"
#include "ui/result/model/char_widths.hpp"
#include "ui/result/model/line_index.hpp"

namespace tavix::testing {

// A proportional font: digits 9 px, the comma and the blank 4.5 px, letters 8 px, other ASCII
// 6 px, any other character 10 px, tabs every 80 px; in 1/64 pixel.
std::unique_ptr<ui::CharWidths> madeUpWidths();
// The width the made-up font gives a character.
ui::Width madeUpWidth(char32_t c);

// A text that is read through readers only, as a listing is, though it holds `bytes`.
ResultTextPtr readThroughReaders(std::string bytes);

// Where the lines of `text` start when it is wrapped at `lineWidth` in the made-up font, for
// texts of words and single blanks (no tabs, no line breaks, no runs of blanks): each line is
// the longest run of whole words whose width, without the blank after the last one, fits; a
// word wider than a line alone is cut after as many characters as fit, at least one.
std::vector<std::size_t> referenceLineStarts(const std::string& text, ui::Width lineWidth);

// While one lives, line indexes get no thread of their own, as when the system has none to give.
struct IndexThreadsRefused {
    explicit IndexThreadsRefused(bool refused = true) { ui::LineIndex::threadsAllowed = !refused; }
    ~IndexThreadsRefused() { ui::LineIndex::threadsAllowed = true; }
    IndexThreadsRefused(const IndexThreadsRefused&) = delete;
    IndexThreadsRefused& operator=(const IndexThreadsRefused&) = delete;
};

}  // namespace tavix::testing
