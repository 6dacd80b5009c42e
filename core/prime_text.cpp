#include "core/prime_text.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "core/prime_sieve.hpp"

namespace tavix {

namespace {

// The number a bit of a 64-bit word stands for, counted from the word's first number.
constexpr std::array<std::uint32_t, 64> kBitOffset = [] {
    std::array<std::uint32_t, 64> table{};
    for (std::uint32_t bit = 0; bit < 64; ++bit) {
        table[bit] = 30 * (bit >> 3) + kWheelResidues[bit & 7];
    }
    return table;
}();

// The four digits of every number below 10000, leading zeros included.
constexpr std::uint32_t kLowBase = 10000;
constexpr std::size_t kLowDigits = 4;
struct LowDigits {
    std::array<char, kLowBase * kLowDigits> digits{};
};
constexpr LowDigits kLow = [] {
    LowDigits table;
    for (std::uint32_t n = 0; n < kLowBase; ++n) {
        std::uint32_t rest = n;
        for (std::size_t i = kLowDigits; i-- > 0;) {
            table.digits[n * kLowDigits + i] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
    }
    return table;
}();

// Writes one item exactly: separator (unless leading), whole part, tail.
char* writeItem(char* out, std::uint64_t prime, const ListingPiece& piece, bool separator) {
    if (separator) {
        out[0] = ',';
        out[1] = ' ';
        out += kSeparatorSize;
    }
    const auto whole = static_cast<std::int64_t>(prime) + piece.shift;
    out = std::to_chars(out, out + 24, whole).ptr;
    std::memcpy(out, piece.tail.data(), piece.tail.size());
    return out + piece.tail.size();
}

// Every item of the range by the exact writer.
char* writeEach(const std::uint64_t* bitmap, std::uint64_t window, std::uint64_t beginBit,
                std::uint64_t endBit, const ListingPiece& piece, char* out) {
    for (std::uint64_t w = beginBit / 64; w * 64 < endBit; ++w) {
        std::uint64_t bits = bitmap[w];
        if (w == beginBit / 64)
            bits &= ~std::uint64_t{0} << (beginBit % 64);
        if ((w + 1) * 64 > endBit)
            bits &= ~std::uint64_t{0} >> (64 - endBit % 64);
        while (bits != 0) {
            const auto bit = static_cast<std::uint64_t>(std::countr_zero(bits));
            bits &= bits - 1;
            out = writeItem(out, numberOfBit(window, w * 64 + bit), piece, true);
        }
    }
    return out;
}

}  // namespace

char* writePrimes(const std::uint64_t* bitmap, std::uint64_t window, std::uint64_t beginBit,
                  std::uint64_t endBit, const ListingPiece& piece, bool leading, char* out,
                  char* limit) {
    if (leading) {
        // The first item of the whole list has no separator: write it alone, go on after it.
        for (; beginBit < endBit; ++beginBit) {
            if ((bitmap[beginBit / 64] >> (beginBit % 64)) & 1) {
                out = writeItem(out, numberOfBit(window, beginBit), piece, false);
                ++beginBit;
                break;
            }
        }
    }
    if (beginBit >= endBit)
        return out;

    const std::size_t digits = piece.itemSize;
    if (piece.shift != 0 || !piece.tail.empty() || digits <= kLowDigits || digits > 10) {
        return writeEach(bitmap, window, beginBit, endBit, piece, out);
    }

    // Whole numbers of 5 to 10 digits: the digits above the last four change only every
    // 10000 numbers, so each item is ", " and those high digits from a table made for this
    // window, then the last four digits from a fixed table. Both are copied as whole words
    // that may spill past the item; the next item overwrites the spill, and near the limit
    // the exact writer takes over.
    const std::uint64_t windowFirst = window * kWindowSpan;
    const std::uint64_t firstHigh = numberOfBit(window, beginBit) / kLowBase;
    const std::uint64_t lastHigh = numberOfBit(window, endBit - 1) / kLowBase;
    std::uint64_t heads[kWindowSpan / kLowBase + 2];
    const std::size_t highDigits = digits - kLowDigits;
    for (std::uint64_t high = firstHigh; high <= lastHigh; ++high) {
        char head[8] = {',', ' '};
        std::to_chars(head + kSeparatorSize, head + 8, high);
        std::memcpy(&heads[high - firstHigh], head, 8);
    }
    const std::size_t itemSize = kSeparatorSize + digits;
    constexpr std::ptrdiff_t kSpill = 16;

    for (std::uint64_t w = beginBit / 64; w * 64 < endBit; ++w) {
        std::uint64_t bits = bitmap[w];
        if (w == beginBit / 64)
            bits &= ~std::uint64_t{0} << (beginBit % 64);
        if ((w + 1) * 64 > endBit)
            bits &= ~std::uint64_t{0} >> (64 - endBit % 64);
        const auto wordFirst = static_cast<std::uint32_t>(windowFirst + 240 * w);
        while (bits != 0) {
            const auto bit = static_cast<std::uint32_t>(std::countr_zero(bits));
            bits &= bits - 1;
            const std::uint32_t prime = wordFirst + kBitOffset[bit];
            if (limit - out < kSpill) {
                out = writeItem(out, prime, piece, true);
                continue;
            }
            const std::uint32_t high = prime / kLowBase;
            const std::uint32_t low = prime - high * kLowBase;
            std::memcpy(out, &heads[high - firstHigh], 8);
            std::memcpy(out + kSeparatorSize + highDigits, &kLow.digits[low * kLowDigits],
                        kLowDigits);
            out += itemSize;
        }
    }
    return out;
}

}  // namespace tavix
