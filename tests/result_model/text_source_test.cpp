// Reading the result text as the result area does: short stretches here and there through a
// source that keeps a few, characters and words walked across the stretches it makes.
#include "ui/result/model/text_source.hpp"

#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "model_support.hpp"
#include "ui/result/io/chunk_stream.hpp"
#include "ui/result/model/characters.hpp"

namespace tavix::ui {
namespace {

// Random reads of every kind through sources that keep stretches of several sizes, each
// compared with the whole text.
TEST(TextSource, EveryReadIsTheSameBytesAsTheWholeText) {
    const ResultTextPtr listing = testing::listingText("0", "400000");
    const std::string whole = listing->toString();
    for (const ResultTextPtr& text : {listing, makePlainText(whole)}) {
        for (const std::size_t chunk :
             {std::size_t{64}, std::size_t{5000}, TextSource::kDefaultChunk}) {
            SCOPED_TRACE("stretches of " + std::to_string(chunk));
            TextSource source(text, chunk);
            ASSERT_EQ(source.size(), whole.size());
            std::mt19937_64 random(chunk);
            for (int i = 0; i < 3000; ++i) {
                const std::size_t pos = random() % (whole.size() + 1);
                const std::size_t n = random() % 300;
                switch (i % 5) {
                    case 0: {
                        const std::string_view view = source.from(pos, n);
                        ASSERT_GE(view.size(), std::min(n, whole.size() - pos));
                        ASSERT_EQ(view, std::string_view(whole).substr(pos, view.size()));
                        break;
                    }
                    case 1: {
                        const std::string_view view = source.before(pos, n);
                        ASSERT_GE(view.size(), std::min(n, pos));
                        ASSERT_LE(view.size(), pos);
                        ASSERT_EQ(view,
                                  std::string_view(whole).substr(pos - view.size(), view.size()));
                        break;
                    }
                    case 2:
                        ASSERT_EQ(source.span(pos, pos + n),
                                  std::string_view(whole).substr(pos, n));
                        break;
                    case 3:
                        if (pos < whole.size()) {
                            ASSERT_EQ(source.at(pos), whole[pos]);
                        }
                        break;
                    case 4: {
                        const std::size_t long_ = n * 1000;  // longer than any stretch
                        ASSERT_EQ(source.copy(pos, pos + long_), whole.substr(pos, long_));
                        break;
                    }
                }
            }
        }
    }
}

// The chunks of a stream, made ahead by two threads, come in order and make up the text.
TEST(TextSource, ChunksStreamTheWholeTextInOrder) {
    const ResultTextPtr listing = testing::listingText("0", "3000000");
    const std::string whole = listing->toString();
    for (const std::size_t chunk :
         {std::size_t{1000}, std::size_t{65536}, ChunkStream::kDefaultChunk}) {
        std::string streamed;
        ChunkStream stream(listing, chunk);
        for (std::string_view piece = stream.next(); !piece.empty(); piece = stream.next()) {
            ASSERT_LE(piece.size(), chunk);
            streamed += piece;
        }
        EXPECT_EQ(streamed, whole) << "chunks of " << chunk;
    }
    // Given up early: the threads stop.
    ChunkStream stream(testing::listingText("0", "2147483647"), 1 << 20);
    EXPECT_EQ(stream.next().substr(0, 9), "Total de ");
}

struct Boundaries {
    std::string text;
    std::vector<std::size_t> characters;  // every character boundary, in order
};

// Boundaries are the same read from a stretch of 64 bytes as from the whole text: across the
// ends of stretches, two-, three- and four-byte characters (up to U+10FFFF), CR LF as one.
TEST(TextSource, CharacterBoundaries) {
    std::string text;
    std::vector<std::size_t> boundaries{0};
    const std::string pieces[] = {
        "7",  "\xC3\xBA", "\xE2\x82\xAC", "\xF0\x9D\x9F\x99", "\xF4\x8F\xBF\xBF", "\r\n",
        ", ", "\n"};
    std::mt19937 random(3);
    while (text.size() < 5000) {
        const std::string& piece = pieces[std::size_t(random()) % std::size(pieces)];
        if (piece == ", ") {
            text += ',';
            boundaries.push_back(text.size());
            text += ' ';
        } else {
            text += piece;
        }
        boundaries.push_back(text.size());
    }
    TextSource source(testing::readThroughReaders(text), 64);
    for (std::size_t i = 0; i < boundaries.size(); ++i) {
        const std::size_t b = boundaries[i];
        ASSERT_EQ(snapToChar(source, b), b);
        if (i + 1 < boundaries.size()) {
            ASSERT_EQ(nextCharBoundary(source, b), boundaries[i + 1]) << b;
            for (std::size_t inside = b + 1; inside < boundaries[i + 1]; ++inside) {
                ASSERT_EQ(snapToChar(source, inside), b) << inside;
            }
        }
        if (i > 0) {
            ASSERT_EQ(previousCharBoundary(source, b), boundaries[i - 1]) << b;
        }
    }
    EXPECT_EQ(nextCharBoundary(source, text.size()), text.size());
    EXPECT_EQ(previousCharBoundary(source, 0), 0u);
}

// Words for double-click and Ctrl+arrows: the run holding a position.
TEST(TextSource, Words) {
    const std::string text = "Total de 25 n\xC3\xBAmeros primos: 2, 3,  5\r\n7_b\t\t9";
    const struct {
        std::size_t pos;
        const char* word;
    } cases[] =
        {
            {0, "Total"},           {3, "Total"}, {5, " "},     {9, "25"},
            {14, "n\xC3\xBAmeros"},  // inside the "ú"
            {26, "primos"},         {27, ":"},    {33, ","},    {35, "  "},
            {37, "\r\n"},           {40, "7_b"},  {42, "\t\t"},
        };
    for (const std::size_t chunk : {std::size_t{64}, TextSource::kDefaultChunk}) {
        TextSource source(testing::readThroughReaders(text), chunk);
        for (const auto& c : cases) {
            const std::size_t pos = snapToChar(source, c.pos);
            const std::size_t start = wordStart(source, pos);
            EXPECT_EQ(text.substr(start, wordEnd(source, start) - start), c.word) << c.pos;
        }
    }
}

}  // namespace
}  // namespace tavix::ui
