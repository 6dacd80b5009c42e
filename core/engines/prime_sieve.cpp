#include "core/engines/prime_sieve.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tavix {

namespace {

constexpr std::uint32_t kFirstSievingPrime = 19;

// For a remainder r modulo 30: how many residues of the wheel lie below r, and up to r.
constexpr std::array<std::uint8_t, 30> kBitsBelow = [] {
    std::array<std::uint8_t, 30> table{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        for (std::uint32_t residue : kWheelResidues) {
            table[r] += residue < r ? 1 : 0;
        }
    }
    return table;
}();
constexpr std::array<std::uint8_t, 30> kBitsUpTo = [] {
    std::array<std::uint8_t, 30> table{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        for (std::uint32_t residue : kWheelResidues) {
            table[r] += residue <= r ? 1 : 0;
        }
    }
    return table;
}();

// The multiples of 7, 11, 13 and 17 are struck by copying this pattern, one period of them:
// 30·17017 = 2·3·5·7·11·13·17 numbers.
constexpr std::size_t kPatternBytes = 7 * 11 * 13 * 17;
struct Pattern {
    std::array<std::uint8_t, kPatternBytes> bytes{};
};
constexpr Pattern kPattern = [] {
    Pattern pattern;
    for (std::size_t byte = 0; byte < kPatternBytes; ++byte) {
        std::uint32_t bits = 0;
        for (std::uint32_t bit = 0; bit < 8; ++bit) {
            const std::uint64_t number = 30 * byte + kWheelResidues[bit];
            if (number % 7 != 0 && number % 11 != 0 && number % 13 != 0 && number % 17 != 0) {
                bits |= 1u << bit;
            }
        }
        pattern.bytes[byte] = static_cast<std::uint8_t>(bits);
    }
    return pattern;
}();

// The smallest primes: their pattern, in phase with the window, over bytes [beginByte, endByte).
void copyPattern(std::uint8_t* bytes, std::uint64_t firstByte, std::size_t beginByte,
                 std::size_t endByte) {
    std::size_t phase = (firstByte + beginByte) % kPatternBytes;
    for (std::size_t done = beginByte; done < endByte;) {
        const std::size_t piece = std::min(endByte - done, kPatternBytes - phase);
        std::memcpy(bytes + done, kPattern.bytes.data() + phase, piece);
        done += piece;
        phase = 0;
    }
}

std::uint64_t integerSquareRoot(std::uint64_t x) {
    std::uint64_t root = 0;
    for (std::uint64_t bit = std::uint64_t{1} << 31; bit != 0; bit >>= 1) {
        const std::uint64_t candidate = root | bit;
        if (candidate * candidate <= x) {
            root = candidate;
        }
    }
    return root;
}

}  // namespace

SievingPrimes::SievingPrimes(std::uint64_t limit) {
    const std::uint64_t root = integerSquareRoot(limit);
    // Odd numbers up to the root, by the plain sieve.
    std::vector<bool> composite(root / 2 + 1, false);
    for (std::uint64_t p = 3; p * p <= root; p += 2) {
        if (composite[p / 2]) {
            continue;
        }
        for (std::uint64_t multiple = p * p; multiple <= root; multiple += 2 * p) {
            composite[multiple / 2] = true;
        }
    }
    for (std::uint64_t p = kFirstSievingPrime; p <= root; p += 2) {
        if (!composite[p / 2]) {
            primes_.push_back(static_cast<std::uint32_t>(p));
        }
    }
}

WindowSieve::WindowSieve(const SievingPrimes& primes) {
    crossings_.resize(primes.primes().size());
    for (std::size_t i = 0; i < crossings_.size(); ++i) {
        Crossing& crossing = crossings_[i];
        const std::uint32_t p = primes.primes()[i];
        crossing.prime = p;
        for (std::size_t j = 0; j < 8; ++j) {
            const std::uint32_t product = p * kWheelResidues[j];
            crossing.offset[j] = product / 30;
            crossing.mask[j] = static_cast<std::uint8_t>(~(1u << kBitsBelow[product % 30]));
        }
    }
}

void WindowSieve::start(std::uint64_t firstNumber) {
    for (Crossing& crossing : crossings_) {
        const std::uint64_t p = crossing.prime;
        // Cofactors start at p (smaller ones belong to smaller primes) and at the window;
        // the first one prime to 30 gives the cycle and the strikes already behind.
        std::uint64_t cofactor = std::max<std::uint64_t>(p, (firstNumber + p - 1) / p);
        while (kBitsUpTo[cofactor % 30] == kBitsBelow[cofactor % 30]) {
            ++cofactor;
        }
        crossing.cycleByte = static_cast<std::uint32_t>(p * (cofactor / 30));
        crossing.done = kBitsBelow[cofactor % 30];
    }
}

// Inlined: called for every sieving prime in every window.
[[gnu::always_inline]] inline void WindowSieve::strike(Crossing& crossing, std::uint8_t* bytes,
                                                       std::int64_t windowByte, std::int64_t end) {
    const std::uint32_t p = crossing.prime;
    // Copied out first: the strikes write bytes, which as far as the compiler knows could
    // be these.
    const std::uint32_t o0 = crossing.offset[0], o1 = crossing.offset[1];
    const std::uint32_t o2 = crossing.offset[2], o3 = crossing.offset[3];
    const std::uint32_t o4 = crossing.offset[4], o5 = crossing.offset[5];
    const std::uint32_t o6 = crossing.offset[6], o7 = crossing.offset[7];
    const std::uint8_t m0 = crossing.mask[0], m1 = crossing.mask[1];
    const std::uint8_t m2 = crossing.mask[2], m3 = crossing.mask[3];
    const std::uint8_t m4 = crossing.mask[4], m5 = crossing.mask[5];
    const std::uint8_t m6 = crossing.mask[6], m7 = crossing.mask[7];
    const std::uint32_t offset[8] = {o0, o1, o2, o3, o4, o5, o6, o7};
    const std::uint8_t mask[8] = {m0, m1, m2, m3, m4, m5, m6, m7};

    std::int64_t cycle = std::int64_t{crossing.cycleByte} - windowByte;
    std::uint32_t done = crossing.done;
    // The rest of the cycle under way.
    for (; done != 0 && done < 8 && cycle + offset[done] < end; ++done) {
        bytes[cycle + offset[done]] &= mask[done];
    }
    if (done == 8) {
        cycle += p;
        done = 0;
    }
    if (done == 0) {
        // Whole cycles, then the start of the one the window ends in.
        for (; cycle + o7 < end; cycle += p) {
            std::uint8_t* at = bytes + cycle;
            at[o0] &= m0;
            at[o1] &= m1;
            at[o2] &= m2;
            at[o3] &= m3;
            at[o4] &= m4;
            at[o5] &= m5;
            at[o6] &= m6;
            at[o7] &= m7;
        }
        for (; done < 8 && cycle + offset[done] < end; ++done) {
            bytes[cycle + offset[done]] &= mask[done];
        }
    }
    crossing.cycleByte = static_cast<std::uint32_t>(cycle + windowByte);
    crossing.done = done;
}

void WindowSieve::sieve(std::uint64_t window, std::uint64_t* bitmap, std::size_t beginByte,
                        std::size_t endByte) {
    const std::uint64_t firstByte = window * kWindowBytes;
    if (window != nextWindow_ || beginByte != 0) {
        start(30 * (firstByte + beginByte));
    }
    nextWindow_ = endByte == kWindowBytes ? window + 1 : ~std::uint64_t{0};

    auto* bytes = reinterpret_cast<std::uint8_t*>(bitmap);
    copyPattern(bytes, firstByte, beginByte, endByte);
    if (window == 0 && beginByte == 0) {
        // 1 is no prime; 7, 11, 13 and 17 are, though the pattern struck them.
        bytes[0] = static_cast<std::uint8_t>((bytes[0] & ~1u) | 0x1e);
    }

    const std::uint64_t endNumber = 30 * (firstByte + endByte);
    for (Crossing& crossing : crossings_) {
        if (std::uint64_t{crossing.prime} * crossing.prime >= endNumber) {
            break;  // the later primes strike later windows
        }
        strike(crossing, bytes, static_cast<std::int64_t>(firstByte),
               static_cast<std::int64_t>(endByte));
    }
}

std::uint64_t firstBitFrom(std::uint64_t window, std::uint64_t number) {
    const std::uint64_t offset = number - window * kWindowSpan;
    return 8 * (offset / 30) + kBitsBelow[offset % 30];
}

std::uint64_t endBitTo(std::uint64_t window, std::uint64_t number) {
    const std::uint64_t offset = number - window * kWindowSpan;
    return 8 * (offset / 30) + kBitsUpTo[offset % 30];
}

std::uint64_t countBits(const std::uint64_t* bitmap, std::uint64_t begin, std::uint64_t end) {
    if (begin >= end) {
        return 0;
    }
    const std::uint64_t firstWord = begin / 64;
    const std::uint64_t lastWord = (end - 1) / 64;
    const std::uint64_t headMask = ~std::uint64_t{0} << (begin % 64);
    const std::uint64_t tailMask = ~std::uint64_t{0} >> (63 - (end - 1) % 64);
    if (firstWord == lastWord) {
        return static_cast<std::uint64_t>(std::popcount(bitmap[firstWord] & headMask & tailMask));
    }
    std::uint64_t count = static_cast<std::uint64_t>(std::popcount(bitmap[firstWord] & headMask));
    for (std::uint64_t w = firstWord + 1; w < lastWord; ++w) {
        count += static_cast<std::uint64_t>(std::popcount(bitmap[w]));
    }
    return count + static_cast<std::uint64_t>(std::popcount(bitmap[lastWord] & tailMask));
}

}  // namespace tavix
