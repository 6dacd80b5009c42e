#include "core/engines/listing_plan.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace tavix {

namespace {

// The least double that rounds (half to even) past 2147483647.
constexpr double kOverflowFrom = 2147483647.5;

std::size_t digitCount(std::uint64_t value) {
    std::size_t digits = 1;
    for (; value >= 10; value /= 10) {
        ++digits;
    }
    return digits;
}

std::uint64_t powerOfTen(std::size_t exponent) {
    std::uint64_t value = 1;
    while (exponent-- > 0) {
        value *= 10;
    }
    return value;
}

// Adds the piece for m from low to high, printed as m + shift and the tail, dropping what
// the pieces before it already hold (a value shared where two runs meet is always even).
void addPiece(std::vector<ListingPiece>& pieces, std::uint64_t low, std::uint64_t high,
              std::int64_t shift, const std::string& tail, std::size_t wholeDigits) {
    if (low < 7) {
        low = 7;
    }
    if (!pieces.empty() && low <= pieces.back().high) {
        low = pieces.back().high + 1;
    }
    if (low > high) {
        return;
    }
    pieces.push_back({low, high, shift, tail, wholeDigits + tail.size()});
}

}  // namespace

CandidatePlan planCandidates(double first, double last) {
    CandidatePlan plan;
    double n = first < 5 ? 5 : first;
    for (;;) {
        if (!(n <= last)) {
            break;
        }
        if (n >= kOverflowFrom) {
            plan.overflows = true;
            break;
        }
        // How far n + j stays exact: a whole n all the way, a fraction to its binade's end.
        std::uint64_t span = std::uint64_t{1} << 32;
        if (n != std::trunc(n)) {
            const double binadeEnd = std::ldexp(1.0, std::ilogb(n) + 1);
            span = static_cast<std::uint64_t>(std::ceil(binadeEnd - n));
        }
        // The last j of the run: n + j ≤ last and still rounding into range.
        auto fits = [&](std::uint64_t j) {
            const double candidate = n + static_cast<double>(j);
            return candidate <= last && candidate < kOverflowFrom;
        };
        std::uint64_t lowJ = 0;  // fits
        std::uint64_t highJ = span;
        while (highJ - lowJ > 1) {  // fits(lowJ), and highJ is out of the run or does not fit
            const std::uint64_t middle = lowJ + (highJ - lowJ) / 2;
            if (fits(middle)) {
                lowJ = middle;
            } else {
                highJ = middle;
            }
        }
        plan.runs.push_back({n, lowJ + 1});
        n = (n + static_cast<double>(lowJ)) + 1.0;
    }
    return plan;
}

ListingPlan planListing(double first, double last, const NumberFormat& format) {
    const CandidatePlan candidates = planCandidates(first, last);
    ListingPlan plan;
    plan.overflows = candidates.overflows;
    for (const CandidateRun& run : candidates.runs) {
        const double wholeStart = std::floor(run.start);
        const double fraction = run.start - wholeStart;
        if (fraction == 0.5) {
            continue;  // x.5 rounds to the even neighbour: no prime here
        }
        const auto firstWhole = static_cast<std::uint64_t>(wholeStart);
        const std::uint64_t lastWhole = firstWhole + run.count - 1;

        if (fraction == 0) {
            // Whole candidates: m = n, printed as they are. 5 counts only as 5 itself.
            if (firstWhole == 5) {
                plan.listsFive = true;
            }
            for (std::uint64_t low = firstWhole; low <= lastWhole;) {
                const std::size_t digits = digitCount(low);
                const std::uint64_t high = std::min(lastWhole, powerOfTen(digits) - 1);
                addPiece(plan.pieces, low, high, 0, "", digits);
                low = high + 1;
            }
            continue;
        }

        // Candidates with a fraction: m is the whole part, or the next number above .5.
        // Their text is the whole part, plus one when the fraction's printed digits round up
        // to a whole, then the tail (separator and digits). Both depend only on the number of
        // digits of the whole part, so one printed candidate per digit count tells them.
        const std::uint64_t roundUp = fraction > 0.5 ? 1 : 0;
        for (std::uint64_t low = firstWhole; low <= lastWhole;) {
            const std::size_t digits = digitCount(low);
            std::uint64_t high = std::min(lastWhole, powerOfTen(digits) - 1);
            const double sample = run.start + static_cast<double>(low - firstWhole);
            const std::string text = NumberToText(sample, format);
            std::size_t wholeEnd = 0;
            std::uint64_t printedWhole = 0;
            while (wholeEnd < text.size() && text[wholeEnd] >= '0' && text[wholeEnd] <= '9') {
                printedWhole = printedWhole * 10 + static_cast<std::uint64_t>(text[wholeEnd] - '0');
                ++wholeEnd;
            }
            const std::uint64_t carry = printedWhole - low;
            if (carry > 1) {
                throw std::logic_error("listing: unexpected text of a candidate");
            }
            // With a carry, the whole part 99…9 would print with one digit more; its rounded
            // value, 99…9 or 10…0, is no prime.
            if (carry == 1 && high == powerOfTen(digits) - 1) {
                --high;
            }
            addPiece(plan.pieces, low + roundUp, high + roundUp,
                     static_cast<std::int64_t>(carry) - static_cast<std::int64_t>(roundUp),
                     text.substr(wholeEnd), digits);
            low = powerOfTen(digits);
        }
    }
    return plan;
}

}  // namespace tavix
