#include "support/pasted_texts.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>

namespace tavix::testing {

std::vector<std::string> withRandomPastedNumbers(std::vector<std::string> texts, unsigned seed,
                                                 int count) {
    const struct {
        double low, high;
        int decimals;
    } ranges[] = {{-60, 400, 1}, {-10, 200, 2}, {0, 50, 3},
                  {0, 20000, 2}, {-1e6, 0, 1},  {-3, 6, 4}};
    std::mt19937 random(seed);
    char buffer[64];
    for (int i = 0; i < count; ++i) {
        const auto& range = ranges[i % 6];
        double value = std::uniform_real_distribution<double>(range.low, range.high)(random);
        if (i % 6 < 2)
            value = std::round(value * 2 * range.decimals) / (2 * range.decimals);
        std::snprintf(buffer, sizeof buffer, "%.*f", range.decimals, value);
        texts.push_back(buffer);
    }
    return texts;
}

std::string withCommas(std::string text) {
    for (char& c : text)
        c = c == '.' ? ',' : c;
    return text;
}

std::string exactText(double x) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

}  // namespace tavix::testing
