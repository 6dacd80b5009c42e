// Texts a user may paste into a number box, for comparing the computations with their
// literal loops.
#pragma once

#include <string>
#include <vector>

namespace tavix::testing {

// The given texts, then `count` random numbers: halves and quarters (which round to the
// even neighbour), fractions of every size up to 20000, negatives.
std::vector<std::string> withRandomPastedNumbers(std::vector<std::string> texts, unsigned seed,
                                                 int count = 3000);

// The same text with every full stop turned into a comma: a decimal comma under that
// format, the end of the number read otherwise.
std::string withCommas(std::string text);

// The shortest text that reads back as exactly this double.
std::string exactText(double x);

}  // namespace tavix::testing
