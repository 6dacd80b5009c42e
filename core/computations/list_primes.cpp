// "Calcular": the primes from txtIni to txtN, into txt behind a count line.
//
// What the window shows is what testing every candidate by trial division and appending
// each prime to txt would show; the primes come from a segmented sieve instead. The window
// is handed the finished text at once, as a text that makes itself as it is read.
#include <cstdint>
#include <string>

#include "core/computations.hpp"
#include "core/engines/listing_plan.hpp"
#include "core/engines/listing_text.hpp"
#include "core/error_trap.hpp"
#include "core/texts.hpp"

namespace tavix {

namespace {

std::string countLineFor(std::uint64_t count) {
    if (count == 0) {
        return std::string(texts::kNoPrimes);
    }
    if (count == 1) {
        return std::string(texts::kOnePrimePrefix);
    }
    std::string line(texts::kCountPrefix);
    line += NumberToText(static_cast<double>(count), NumberFormat{});
    line += texts::kCountSuffix;
    return line;
}

// The fixed answers: the text, the pointer back, and the focus left where it is.
int answer(Window& window, std::string_view text) {
    window.setText(TextBox::txt, std::string(text));
    window.setPointer(Pointer::Default);
    return kNoError;
}

// The list before the primes the sieve finds: its items, and how many.
struct ListStart {
    std::string text;
    std::uint64_t count = 0;
};

void addItem(ListStart& start, std::string_view item) {
    if (!start.text.empty()) {
        start.text += kListSeparator;
    }
    start.text += item;
    ++start.count;
}

// The fixed start: "2, 3" from 2 or below, "3" from exactly 3 (exact comparisons: a first
// number strictly between 2 and 3 starts no list).
ListStart fixedStart(double first) {
    ListStart start;
    if (first <= 2) {
        addItem(start, "2");
        addItem(start, "3");
    } else if (first == 3) {
        addItem(start, "3");
    }
    return start;
}

// The report: the pointer back, then after an overflow the message and the focus in
// txtIni, after any other error the focus first and the message last.
constexpr ReportStep kOverflowOrder[] = {ReportStep::PointerBack, ReportStep::Message,
                                         ReportStep::Focus};
constexpr ReportStep kOtherErrorOrder[] = {ReportStep::PointerBack, ReportStep::Focus,
                                           ReportStep::Message};
constexpr ErrorReport kReport{TextBox::txtIni, kOverflowOrder, kOtherErrorOrder};

int listPrimesOfInterval(Window& window, const NumberFormat& format) {
    window.setText(TextBox::txt, std::string());
    if (!window.text(TextBox::txtN).empty() && window.text(TextBox::txtIni).empty()) {
        window.setText(TextBox::txtIni, "0");
    }
    const std::string firstText = window.text(TextBox::txtIni);
    if (!IsNumericText(firstText, format)) {
        return kNoError;
    }
    const std::string lastText = window.text(TextBox::txtN);
    if (!IsNumericText(lastText, format)) {
        return kNoError;
    }
    const double first = TextToNumber(firstText);
    const double last = TextToNumber(lastText);

    if (last < first) {
        window.showMessage(texts::kNoInterval, MessageIcon::Critical);
        window.setFocus(TextBox::txtIni);
        return kNoError;
    }
    window.setPointer(Pointer::Hourglass);

    if (last == 2 && first <= 2) {
        return answer(window, texts::kOnlyTwo);
    }
    if (last == 3 && first <= 2) {
        return answer(window, texts::kTwoAndThree);
    }
    if (last < 2) {
        return answer(window, texts::kNoPrimes);
    }

    ListStart start = fixedStart(first);
    if (!start.text.empty()) {
        window.setText(TextBox::txt, start.text);
    }
    ListingPlan plan = planListing(first, last, format);
    if (plan.listsFive) {
        addItem(start, "5");
    }
    // A list that runs into an overflow stays without its count line.
    const CountLine countLine = plan.overflows ? CountLine() : CountLine(countLineFor);
    window.setResultText(
        makeListingText(start.text, start.count, std::move(plan.pieces), countLine));
    if (plan.overflows) {
        return kOverflowErrorNumber;
    }

    window.setFocus(TextBox::txtIni);
    window.setPointer(Pointer::Default);
    return kNoError;
}

}  // namespace

void cmdCalc_Click(Window& window, const NumberFormat& format) {
    runTrapped(window, kReport, [&] { return listPrimesOfInterval(window, format); });
}

}  // namespace tavix
