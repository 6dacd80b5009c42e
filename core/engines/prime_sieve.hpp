// A segmented sieve of Eratosthenes on a wheel of 30, window by window.
//
// A window is kWindowBytes bytes; byte k of window w stands for the 30 numbers from
// 30·(w·kWindowBytes + k), one bit for each of the eight that are prime to 30 (the residues
// in kWheelResidues, bit 0 for 1 up to bit 7 for 29). After sieving, a bit is set when its
// number is a prime (7 or more) or a number above the limit the sieve was made for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/engines/tuning.hpp"

namespace tavix {

inline constexpr std::array<std::uint32_t, 8> kWheelResidues = {1, 7, 11, 13, 17, 19, 23, 29};

inline constexpr std::size_t kWindowBytes = tuning::kWindowBytes;
inline constexpr std::uint64_t kWindowSpan = 30 * std::uint64_t{kWindowBytes};
inline constexpr std::size_t kWindowWords = kWindowBytes / 8;
inline constexpr std::uint64_t kWindowBits = 8 * std::uint64_t{kWindowBytes};
// The numbers one 64-bit word of a bitmap stands for: eight bytes of 30.
inline constexpr std::uint64_t kWordSpan = 8 * 30;

// The primes that sieve every window up to a limit (the smallest ones come from a fixed
// pattern). Made once, read by any number of WindowSieve at the same time.
class SievingPrimes {
  public:
    // For windows whose numbers that matter are at most `limit` (below 2^32).
    explicit SievingPrimes(std::uint64_t limit);

    const std::vector<std::uint32_t>& primes() const { return primes_; }

  private:
    std::vector<std::uint32_t> primes_;  // 19 up to the square root of the limit
};

// Sieves windows one after the other. Sieving the whole window after the last one sieved
// whole goes on from where that one stopped; anything else starts afresh.
class WindowSieve {
  public:
    // Takes all its memory here, so that sieving never allocates.
    explicit WindowSieve(const SievingPrimes& primes);

    // Sieves bytes [beginByte, endByte) of window `window` into the bitmap, which holds
    // kWindowWords words; the other bytes are left undefined.
    void sieve(std::uint64_t window, std::uint64_t* bitmap, std::size_t beginByte = 0,
               std::size_t endByte = kWindowBytes);

  private:
    // The multiples p·q of a prime p with q prime to 30 come in cycles of eight: cycle c
    // holds q = 30c + r for the eight residues r, whose multiples lie at the bytes
    // p·c + ⌊p·r/30⌋, each at a fixed bit. A prime's place is the cycle's first byte and how
    // many of its eight strikes are done.
    struct Crossing {
        std::uint32_t prime;
        std::uint32_t cycleByte;  // p·c, counted from the first byte of the first window
        std::uint32_t done;       // strikes of this cycle already made
        std::uint32_t offset[8];  // ⌊p·r/30⌋, ascending
        std::uint8_t mask[8];     // the bit each strike keeps
    };

    void start(std::uint64_t firstNumber);
    // Strikes the multiples of one prime in the window's bytes [0, end), from where its
    // crossing stands, and leaves the crossing where the window ends.
    static void strike(Crossing& crossing, std::uint8_t* bytes, std::int64_t windowByte,
                       std::int64_t end);

    std::vector<Crossing> crossings_;
    std::uint64_t nextWindow_ = ~std::uint64_t{0};
};

// The bit of a window's bitmap that stands for `number` (prime to 30) of window `window`, and
// the bit ranges of numbers: [firstBitFrom(a), endBitTo(b)) holds every number from a to b.
std::uint64_t firstBitFrom(std::uint64_t window, std::uint64_t number);
std::uint64_t endBitTo(std::uint64_t window, std::uint64_t number);

// The number that a bit of a window stands for.
inline std::uint64_t numberOfBit(std::uint64_t window, std::uint64_t bit) {
    return window * kWindowSpan + 30 * (bit >> 3) + kWheelResidues[bit & 7];
}

// Set bits in [begin, end) of a bitmap.
std::uint64_t countBits(const std::uint64_t* bitmap, std::uint64_t begin, std::uint64_t end);

}  // namespace tavix
