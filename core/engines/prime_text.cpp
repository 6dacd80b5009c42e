#include "core/engines/prime_text.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "core/engines/prime_sieve.hpp"

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

// The longest tail the fast writer copies as one block.
constexpr std::size_t kTailBlock = 16;
// The most digits a whole part has: 4294967295, the largest below 2^32.
constexpr std::size_t kMaxWholeDigits = 10;
// An item's head, the separator and the high digits, is copied as one 8-byte word.
constexpr std::size_t kHeadBytes = sizeof(std::uint64_t);

// Word w of the bitmap, keeping only the bits in [beginBit, endBit).
std::uint64_t bitsOfWord(const std::uint64_t* bitmap, std::uint64_t w, std::uint64_t beginBit,
                         std::uint64_t endBit) {
    std::uint64_t bits = bitmap[w];
    if (w == beginBit / 64) {
        bits &= ~std::uint64_t{0} << (beginBit % 64);
    }
    if ((w + 1) * 64 > endBit) {
        bits &= ~std::uint64_t{0} >> (64 - endBit % 64);
    }
    return bits;
}

// Writes one item exactly: separator (unless leading), whole part, tail.
char* writeItem(char* out, std::uint64_t prime, const ListingPiece& piece, bool separator) {
    if (separator) {
        std::memcpy(out, kListSeparator.data(), kSeparatorSize);
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
        for (std::uint64_t bits = bitsOfWord(bitmap, w, beginBit, endBit); bits != 0;
             bits &= bits - 1) {
            const auto bit = static_cast<std::uint64_t>(std::countr_zero(bits));
            out = writeItem(out, numberOfBit(window, w * 64 + bit), piece, true);
        }
    }
    return out;
}

// The first item of the whole list, which has no separator: written alone at out, which
// moves past it. Returns the bit to go on from.
std::uint64_t writeFirstItem(const std::uint64_t* bitmap, std::uint64_t window,
                             std::uint64_t beginBit, std::uint64_t endBit,
                             const ListingPiece& piece, char*& out) {
    for (; beginBit < endBit; ++beginBit) {
        if ((bitmap[beginBit / 64] >> (beginBit % 64)) & 1) {
            out = writeItem(out, numberOfBit(window, beginBit), piece, false);
            return beginBit + 1;
        }
    }
    return beginBit;
}

// The heads of the items whose whole parts lie from firstHigh·10000 to lastHigh·10000 + 9999:
// ", " and the digits above the last four, in one 8-byte word each.
void makeHeads(std::uint64_t* heads, std::uint64_t firstHigh, std::uint64_t lastHigh) {
    for (std::uint64_t high = firstHigh; high <= lastHigh; ++high) {
        char head[kHeadBytes] = {};
        std::memcpy(head, kListSeparator.data(), kSeparatorSize);
        std::to_chars(head + kSeparatorSize, head + kHeadBytes, high);
        std::memcpy(&heads[high - firstHigh], head, kHeadBytes);
    }
}

// Whole parts of 5 to 10 digits: the digits above the last four change only every 10000
// numbers, so each item is ", " and those high digits from a table made for this call, then
// the last four digits from a fixed table, then the tail. All are copied as whole blocks
// that may spill past the item; the next item overwrites the spill, and near the limit the
// exact writer takes over.
char* writeByTables(const std::uint64_t* bitmap, std::uint64_t window, std::uint64_t beginBit,
                    std::uint64_t endBit, const ListingPiece& piece, char* out, char* limit) {
    // The shift modulo 2^32: adding it to a prime wraps to the whole part, -1 included.
    const auto shift = static_cast<std::uint32_t>(piece.shift);
    const std::uint64_t firstHigh =
        static_cast<std::uint32_t>(numberOfBit(window, beginBit) + shift) / kLowBase;
    const std::uint64_t lastHigh =
        static_cast<std::uint32_t>(numberOfBit(window, endBit - 1) + shift) / kLowBase;
    std::uint64_t heads[kWindowSpan / kLowBase + 2];
    makeHeads(heads, firstHigh, lastHigh);

    const std::size_t tailSize = piece.tail.size();
    const std::size_t wholeDigits = piece.itemSize - tailSize;
    char tail[kTailBlock] = {};
    std::memcpy(tail, piece.tail.data(), tailSize);
    const std::size_t lowOffset = kSeparatorSize + wholeDigits - kLowDigits;
    const std::size_t tailOffset = kSeparatorSize + wholeDigits;
    const std::size_t itemSize = tailOffset + tailSize;
    constexpr std::ptrdiff_t kSpill = kSeparatorSize + kMaxWholeDigits + kTailBlock;

    const std::uint64_t windowFirst = window * kWindowSpan;
    for (std::uint64_t w = beginBit / 64; w * 64 < endBit; ++w) {
        const auto wordFirst = static_cast<std::uint32_t>(windowFirst + kWordSpan * w);
        for (std::uint64_t bits = bitsOfWord(bitmap, w, beginBit, endBit); bits != 0;
             bits &= bits - 1) {
            const std::uint32_t prime = wordFirst + kBitOffset[std::countr_zero(bits)];
            if (limit - out < kSpill) {
                out = writeItem(out, prime, piece, true);
                continue;
            }
            const std::uint32_t whole = prime + shift;
            const std::uint32_t high = whole / kLowBase;
            const std::uint32_t low = whole - high * kLowBase;
            std::memcpy(out, &heads[high - firstHigh], kHeadBytes);
            std::memcpy(out + lowOffset, &kLow.digits[low * kLowDigits], kLowDigits);
            if (tailSize != 0) {
                std::memcpy(out + tailOffset, tail, kTailBlock);
            }
            out += itemSize;
        }
    }
    return out;
}

}  // namespace

char* writePrimes(const std::uint64_t* bitmap, std::uint64_t window, std::uint64_t beginBit,
                  std::uint64_t endBit, const ListingPiece& piece, bool leading, char* out,
                  char* limit) {
    if (leading) {
        beginBit = writeFirstItem(bitmap, window, beginBit, endBit, piece, out);
    }
    if (beginBit >= endBit) {
        return out;
    }
    const std::size_t tailSize = piece.tail.size();
    const std::size_t wholeDigits = piece.itemSize - tailSize;
    if (wholeDigits <= kLowDigits || wholeDigits > kMaxWholeDigits || tailSize > kTailBlock) {
        return writeEach(bitmap, window, beginBit, endBit, piece, out);
    }
    return writeByTables(bitmap, window, beginBit, endBit, piece, out, limit);
}

}  // namespace tavix
