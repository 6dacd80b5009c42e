#include "core/engines/listing_text.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/engines/prime_sieve.hpp"
#include "core/engines/window_counts.hpp"
#include "core/engines/work_sharing.hpp"
#include "core/utf8.hpp"

namespace tavix {

namespace {

using tuning::kTaskWindows;

// The primes of one piece within one window, and where their text lies.
struct Block {
    std::uint64_t window = 0;
    std::size_t piece = 0;
    std::uint64_t beginBit = 0;
    std::uint64_t endBit = 0;
    std::uint64_t count = 0;
    std::uint64_t offset = 0;  // in bytes
    std::uint64_t size = 0;    // in bytes
    std::uint64_t units = 0;   // characters before it
    bool leading = false;      // holds the first item of the list, which has no separator
};

// How the items of a piece print: all alike, a separator, digits, then the piece's tail.
struct ItemShape {
    std::uint64_t stride = 0;       // bytes of ", " and one item
    std::uint64_t strideUnits = 0;  // characters of the same
    std::uint64_t plainBytes = 0;   // the separator and the digits: one character a byte
    std::string_view tail;
};

class ListingText;

class ListingReader final : public TextReader {
  public:
    explicit ListingReader(std::shared_ptr<const ListingText> text);
    void read(std::uint64_t begin, std::span<char> out) override;

  private:
    void sieve(std::uint64_t window);
    void write(const Block& block, char* out);

    std::shared_ptr<const ListingText> text_;
    WindowSieve sieve_;
    std::vector<std::uint64_t> bitmap_;
    std::uint64_t sievedWindow_ = ~std::uint64_t{0};
    std::string blockText_;  // the text of the block read last
    std::size_t madeBlock_ = ~std::size_t{0};
};

class ListingText final : public ResultText, public std::enable_shared_from_this<ListingText> {
  public:
    ListingText(std::string head, std::vector<ListingPiece> pieces, std::vector<Block> blocks,
                SievingPrimes primes)
        : head_(std::move(head)),
          headMap_(head_),
          pieces_(std::move(pieces)),
          blocks_(std::move(blocks)),
          primes_(std::move(primes)) {
        for (const ListingPiece& piece : pieces_) {
            ItemShape shape;
            shape.tail = piece.tail;
            shape.plainBytes = kSeparatorSize + piece.itemSize - piece.tail.size();
            shape.stride = kSeparatorSize + piece.itemSize;
            shape.strideUnits = shape.plainBytes + utf16Length(piece.tail);
            shapes_.push_back(shape);
        }
        size_ = head_.size();
        length_ = headMap_.length();
        for (Block& block : blocks_) {
            const ItemShape& shape = shapes_[block.piece];
            block.offset = size_;
            block.units = length_;
            block.size = block.count * shape.stride - (block.leading ? kSeparatorSize : 0);
            size_ += block.size;
            length_ += block.count * shape.strideUnits - (block.leading ? kSeparatorSize : 0);
        }
    }

    std::uint64_t size() const override { return size_; }
    std::uint64_t length() const override { return length_; }

    std::uint64_t characterOffset(std::uint64_t byte) const override {
        if (byte >= size_) {
            return length_;
        }
        if (byte < head_.size()) {
            return headMap_.toUtf16(byte);
        }
        const Place at = placeOf(byte, &Block::offset, &ItemShape::stride);
        std::uint64_t units = at.rest;
        if (at.rest > at.shape.plainBytes) {
            units =
                at.shape.plainBytes + utf16Length(at.shape.tail, 0, at.rest - at.shape.plainBytes);
        }
        return at.block.units + at.item * at.shape.strideUnits + units - at.lead;
    }

    std::uint64_t byteOffset(std::uint64_t character) const override {
        if (character >= length_) {
            return size_;
        }
        if (character < headMap_.length()) {
            return headMap_.toBytes(character);
        }
        const Place at = placeOf(character, &Block::units, &ItemShape::strideUnits);
        const ItemShape& shape = at.shape;
        std::uint64_t bytes = at.rest;
        if (at.rest > shape.plainBytes) {
            // Walk the tail's characters up to the one holding the unit.
            bytes = shape.plainBytes;
            std::uint64_t units = shape.plainBytes;
            while (bytes - shape.plainBytes < shape.tail.size()) {
                const Utf8Char c = decodeUtf8(shape.tail, bytes - shape.plainBytes);
                if (units + utf16Units(c.codePoint) > at.rest) {
                    break;
                }
                units += utf16Units(c.codePoint);
                bytes += c.length;
            }
        }
        return at.block.offset + at.item * shape.stride + bytes - at.lead;
    }

    std::unique_ptr<TextReader> reader() const override {
        return std::make_unique<ListingReader>(shared_from_this());
    }

    bool hasLineBreaks() const override {
        const auto breaks = [](std::string_view s) {
            return s.find_first_of(kLineBreaks) != std::string_view::npos;
        };
        return breaks(head_) || std::any_of(pieces_.begin(), pieces_.end(),
                                            [&](const ListingPiece& p) { return breaks(p.tail); });
    }

    std::size_t memoryUse() const override {
        return sizeof *this + head_.capacity() + blocks_.capacity() * sizeof(Block) +
               pieces_.capacity() * sizeof(ListingPiece) +
               primes_.primes().capacity() * sizeof(std::uint32_t);
    }

  private:
    friend class ListingReader;

    // Where an offset past the head falls, counted in bytes or in characters: its block, the
    // shape of the block's items, the item and the offset within it.
    struct Place {
        const Block& block;
        const ItemShape& shape;
        std::uint64_t item;
        std::uint64_t rest;
        std::uint64_t lead;  // the leading item counts as if it had its separator too
    };
    Place placeOf(std::uint64_t pos, std::uint64_t Block::*start,
                  std::uint64_t ItemShape::*stride) const {
        const auto block = std::prev(
            std::upper_bound(blocks_.begin(), blocks_.end(), pos,
                             [start](std::uint64_t p, const Block& b) { return p < b.*start; }));
        const ItemShape& shape = shapes_[block->piece];
        const std::uint64_t lead = block->leading ? kSeparatorSize : 0;
        const std::uint64_t within = pos - (*block).*start + lead;
        return {*block, shape, within / shape.*stride, within % shape.*stride, lead};
    }

    const std::string head_;
    const Utf16Map headMap_;
    const std::vector<ListingPiece> pieces_;
    std::vector<ItemShape> shapes_;
    std::vector<Block> blocks_;
    const SievingPrimes primes_;
    std::uint64_t size_ = 0;
    std::uint64_t length_ = 0;
};

ListingReader::ListingReader(std::shared_ptr<const ListingText> text)
    : text_(std::move(text)), sieve_(text_->primes_), bitmap_(kWindowWords) {}

void ListingReader::sieve(std::uint64_t window) {
    if (window != sievedWindow_) {
        // The whole window, so that reading on into the next one goes on from this one.
        sievedWindow_ = ~std::uint64_t{0};
        sieve_.sieve(window, bitmap_.data());
        sievedWindow_ = window;
    }
}

void ListingReader::write(const Block& block, char* out) {
    sieve(block.window);
    char* const limit = out + block.size;
    const char* const written =
        writePrimes(bitmap_.data(), block.window, block.beginBit, block.endBit,
                    text_->pieces_[block.piece], block.leading, out, limit);
    if (written != limit) {
        throw std::logic_error("prime listing: a block did not fill its place");
    }
}

void ListingReader::read(std::uint64_t begin, std::span<char> out) {
    const ListingText& text = *text_;
    std::uint64_t pos = begin;
    const std::uint64_t end = begin + out.size();
    char* dst = out.data();
    if (pos < text.head_.size()) {
        const std::uint64_t n = std::min<std::uint64_t>(end, text.head_.size()) - pos;
        std::memcpy(dst, text.head_.data() + pos, n);
        pos += n;
        dst += n;
    }
    if (pos >= end) {
        return;
    }
    const std::vector<Block>& blocks = text.blocks_;
    std::size_t b = static_cast<std::size_t>(
        std::upper_bound(blocks.begin(), blocks.end(), pos,
                         [](std::uint64_t p, const Block& block) { return p < block.offset; }) -
        blocks.begin() - 1);
    for (; pos < end; ++b) {
        const Block& block = blocks[b];
        const std::uint64_t blockEnd = block.offset + block.size;
        const std::uint64_t n = std::min(end, blockEnd) - pos;
        if (pos == block.offset && n == block.size && b != madeBlock_) {
            write(block, dst);  // a whole block goes straight to its place
        } else {
            if (b != madeBlock_) {
                madeBlock_ = ~std::size_t{0};
                blockText_.resize(block.size);
                write(block, blockText_.data());
                madeBlock_ = b;
            }
            std::memcpy(dst, blockText_.data() + (pos - block.offset), n);
        }
        pos += n;
        dst += n;
    }
}

// What each thread of the count pass sieves with.
struct Worker {
    explicit Worker(const SievingPrimes& primes) : sieve(primes), bitmap(kWindowWords) {}
    WindowSieve sieve;
    std::vector<std::uint64_t> bitmap;
};

// The blocks of the pieces, window by window in the order of the list, and where each
// window's blocks begin.
struct WindowBlocks {
    std::uint64_t firstWindow = 0;
    std::uint64_t lastWindow = 0;
    std::vector<Block> blocks;
    std::vector<std::size_t> begins;  // one for each window, and the end

    std::size_t begin(std::uint64_t window) const { return begins[window - firstWindow]; }
    std::size_t end(std::uint64_t window) const { return begins[window - firstWindow + 1]; }
};

WindowBlocks blocksOf(const std::vector<ListingPiece>& pieces) {
    WindowBlocks layout;
    layout.firstWindow = pieces.front().low / kWindowSpan;
    layout.lastWindow = pieces.back().high / kWindowSpan;
    std::size_t piece = 0;
    for (std::uint64_t window = layout.firstWindow; window <= layout.lastWindow; ++window) {
        layout.begins.push_back(layout.blocks.size());
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
            layout.blocks.push_back(block);
        }
        while (piece < pieces.size() && pieces[piece].high <= windowHigh) {
            ++piece;
        }
    }
    layout.begins.push_back(layout.blocks.size());
    return layout;
}

// Counts the windows covered whole by one block from the table; returns the others, which
// are to be sieved.
std::vector<std::uint64_t> countFromTable(WindowBlocks& layout) {
    std::vector<std::uint64_t> sieved;
    for (std::uint64_t window = layout.firstWindow; window <= layout.lastWindow; ++window) {
        const std::size_t firstBlock = layout.begin(window);
        const std::size_t endBlock = layout.end(window);
        if (firstBlock == endBlock) {
            continue;
        }
        Block& only = layout.blocks[firstBlock];
        const auto counted = primesInWholeWindow(window);
        if (endBlock - firstBlock == 1 && only.beginBit == 0 && only.endBit == kWindowBits &&
            counted) {
            only.count = *counted;
        } else {
            sieved.push_back(window);
        }
    }
    return sieved;
}

// Counts the blocks of the windows to sieve, on the calling thread and one more.
void countBySieve(WindowBlocks& layout, const std::vector<std::uint64_t>& sieved,
                  const SievingPrimes& sievingPrimes) {
    std::vector<Worker> workers;
    const std::size_t threads = std::min<std::size_t>(workerCount(), sieved.size());
    for (std::size_t i = 0; i < threads; ++i) {
        workers.emplace_back(sievingPrimes);
    }
    std::vector<Block>& blocks = layout.blocks;
    const std::size_t taskCount = (sieved.size() + kTaskWindows - 1) / kTaskWindows;
    runTasks(taskCount, threads, [&](std::size_t w, std::size_t task) {
        Worker& worker = workers[w];
        const std::size_t begin = task * kTaskWindows;
        const std::size_t end = std::min<std::size_t>(begin + kTaskWindows, sieved.size());
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint64_t window = sieved[i];
            const std::size_t firstBlock = layout.begin(window);
            const std::size_t endBlock = layout.end(window);
            // Only the bytes the blocks cover: all of them but at the ends of the list.
            const std::size_t beginByte = blocks[firstBlock].beginBit / 8;
            const std::size_t endByte = (blocks[endBlock - 1].endBit + 7) / 8;
            worker.sieve.sieve(window, worker.bitmap.data(), beginByte, endByte);
            for (std::size_t b = firstBlock; b < endBlock; ++b) {
                blocks[b].count =
                    countBits(worker.bitmap.data(), blocks[b].beginBit, blocks[b].endBit);
            }
        }
    });
}

// The blocks of the pieces with their counts; only those that hold a prime.
std::vector<Block> countedBlocks(const std::vector<ListingPiece>& pieces,
                                 const SievingPrimes& sievingPrimes) {
    WindowBlocks layout = blocksOf(pieces);
    countBySieve(layout, countFromTable(layout), sievingPrimes);
    std::erase_if(layout.blocks, [](const Block& block) { return block.count == 0; });
    return std::move(layout.blocks);
}

}  // namespace

ResultTextPtr makeListingText(std::string_view start, std::uint64_t startCount,
                              std::vector<ListingPiece> pieces, const CountLine& countLine) {
    if (pieces.empty()) {
        std::string text = countLine ? countLine(startCount) : std::string();
        text += start;
        return makePlainText(std::move(text));
    }
    SievingPrimes primes(pieces.back().high);
    std::vector<Block> blocks = countedBlocks(pieces, primes);
    std::uint64_t count = startCount;
    for (const Block& block : blocks) {
        count += block.count;
    }
    if (start.empty() && !blocks.empty()) {
        blocks.front().leading = true;
    }
    std::string head = countLine ? countLine(count) : std::string();
    head += start;
    if (blocks.empty()) {
        return makePlainText(std::move(head));
    }
    return std::make_shared<const ListingText>(std::move(head), std::move(pieces),
                                               std::move(blocks), std::move(primes));
}

}  // namespace tavix
