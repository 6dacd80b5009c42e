#include "core/engines/listing_text.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/engines/prime_sieve.hpp"
#include "core/engines/text_buffer.hpp"
#include "core/engines/work_sharing.hpp"

namespace tavix {

namespace {

// Windows handed out at a time: enough that restarting the sieve at each hand-out costs
// little, few enough that the two threads finish close together.
constexpr std::uint64_t kTaskWindows = 8;

// The primes of one piece within one window.
struct Block {
    std::uint64_t window = 0;
    std::size_t piece = 0;
    std::uint64_t beginBit = 0;
    std::uint64_t endBit = 0;
    std::uint64_t count = 0;
    std::size_t offset = 0;  // where its text starts
    std::size_t size = 0;    // how long its text is
    bool leading = false;    // holds the first item of the list
};

// What each thread sieves with.
struct Worker {
    explicit Worker(const SievingPrimes& primes) : sieve(primes), bitmap(kWindowWords) {}
    WindowSieve sieve;
    std::vector<std::uint64_t> bitmap;
};

}  // namespace

std::string listPrimes(std::string_view start, std::uint64_t startCount,
                       std::span<const ListingPiece> pieces, const CountLine& countLine) {
    if (pieces.empty()) {
        std::string text = countLine ? countLine(startCount) : std::string();
        text += start;
        return text;
    }

    // The blocks, window by window, in the order of the list.
    const std::uint64_t firstWindow = pieces.front().low / kWindowSpan;
    const std::uint64_t lastWindow = pieces.back().high / kWindowSpan;
    const std::uint64_t windowCount = lastWindow - firstWindow + 1;
    std::vector<Block> blocks;
    std::vector<std::size_t> windowBlocks(windowCount + 1);
    std::size_t piece = 0;
    for (std::uint64_t window = firstWindow; window <= lastWindow; ++window) {
        windowBlocks[window - firstWindow] = blocks.size();
        const std::uint64_t windowLow = window * kWindowSpan;
        const std::uint64_t windowHigh = windowLow + kWindowSpan - 1;
        for (std::size_t p = piece; p < pieces.size() && pieces[p].low <= windowHigh; ++p) {
            if (pieces[p].high < windowLow) {
                continue;
            }
            Block block;
            block.window = window;
            block.piece = p;
            block.beginBit = firstBitFrom(window, std::max(pieces[p].low, windowLow));
            block.endBit = endBitTo(window, std::min(pieces[p].high, windowHigh));
            blocks.push_back(block);
        }
        while (piece < pieces.size() && pieces[piece].high <= windowHigh) {
            ++piece;
        }
    }
    windowBlocks[windowCount] = blocks.size();

    const SievingPrimes sievingPrimes(pieces.back().high);
    std::vector<Worker> workers;
    const std::size_t threads = workerCount();
    for (std::size_t i = 0; i < threads; ++i) {
        workers.emplace_back(sievingPrimes);
    }
    const std::size_t taskCount = (windowCount + kTaskWindows - 1) / kTaskWindows;
    // Runs visit(worker, window, first block, end block) for every window, sieved.
    auto forEachWindow = [&](auto&& visit) {
        runTasks(taskCount, threads, [&](std::size_t w, std::size_t task) {
            Worker& worker = workers[w];
            const std::uint64_t begin = firstWindow + task * kTaskWindows;
            const std::uint64_t end = std::min(begin + kTaskWindows, lastWindow + 1);
            for (std::uint64_t window = begin; window < end; ++window) {
                const std::size_t firstBlock = windowBlocks[window - firstWindow];
                const std::size_t endBlock = windowBlocks[window - firstWindow + 1];
                if (firstBlock == endBlock) {
                    continue;
                }
                // Only the bytes the blocks cover: all of them but at the ends of the list.
                const std::size_t beginByte = blocks[firstBlock].beginBit / 8;
                const std::size_t endByte = (blocks[endBlock - 1].endBit + 7) / 8;
                worker.sieve.sieve(window, worker.bitmap.data(), beginByte, endByte);
                visit(worker, window, firstBlock, endBlock);
            }
        });
    };

    // First pass: count.
    forEachWindow([&](Worker& worker, std::uint64_t, std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b) {
            blocks[b].count = countBits(worker.bitmap.data(), blocks[b].beginBit, blocks[b].endBit);
        }
    });

    // Lay the text out.
    std::uint64_t count = startCount;
    for (const Block& block : blocks) {
        count += block.count;
    }
    const std::string head = countLine ? countLine(count) : std::string();
    std::size_t size = head.size() + start.size();
    bool first = start.empty();
    for (Block& block : blocks) {
        block.offset = size;
        if (block.count == 0) {
            continue;
        }
        block.size = block.count * (kSeparatorSize + pieces[block.piece].itemSize);
        if (first) {
            block.leading = true;
            block.size -= kSeparatorSize;
            first = false;
        }
        size += block.size;
    }
    std::string text = makeTextBuffer(size);
    std::memcpy(text.data(), head.data(), head.size());
    std::memcpy(text.data() + head.size(), start.data(), start.size());

    // Second pass: write each block in its place.
    std::atomic<bool> misfit{false};
    char* const out = text.data();
    forEachWindow([&](Worker& worker, std::uint64_t window, std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b) {
            const Block& block = blocks[b];
            if (block.count == 0) {
                continue;
            }
            char* const limit = out + block.offset + block.size;
            char* const written =
                writePrimes(worker.bitmap.data(), window, block.beginBit, block.endBit,
                            pieces[block.piece], block.leading, out + block.offset, limit);
            if (written != limit) {
                misfit = true;
            }
        }
    });
    if (misfit) {
        throw std::logic_error("prime listing: a block did not fill its place");
    }
    return text;
}

}  // namespace tavix
