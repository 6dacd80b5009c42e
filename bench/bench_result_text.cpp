// The listing's result text made on demand: the listing itself (the text laid out, nothing
// made), 40 characters read far into the whole range, and the whole range read from start to
// end through one reader.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <string_view>

#include "bench_check.hpp"
#include "core/computations.hpp"
#include "support/listing_reference.hpp"
#include "support/recording_window.hpp"

namespace {

using tavix::bench::rejectResult;
using tavix::testing::isPrimeNumber;

constexpr std::uint64_t kWholeRangeBytes = 1'203'807'730;

// Whether the numbers wholly inside a stretch of the list ("…7, 600011, 600043, 6…") are
// consecutive primes: each prime, and no prime between two neighbours.
bool consecutivePrimes(std::string_view piece) {
    const std::size_t first = piece.find(", ");
    const std::size_t last = piece.rfind(", ");
    if (first == std::string_view::npos || first == last) {
        return false;
    }
    std::uint64_t previous = 0;
    for (std::size_t at = first + 2; at < last;) {
        const std::size_t end = piece.find(", ", at);
        std::uint64_t value = 0;
        for (const char c : piece.substr(at, end - at)) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + std::uint64_t(c - '0');
        }
        if (!isPrimeNumber(std::int64_t(value)) || (previous != 0 && value <= previous)) {
            return false;
        }
        for (std::uint64_t m = previous + 1; previous != 0 && m < value; ++m) {
            if (isPrimeNumber(std::int64_t(m))) {
                return false;
            }
        }
        previous = value;
        at = end + 2;
    }
    return previous != 0;
}

// The click, up to the text handed to the window; the window is made outside the timing.
void listingLaidOut(benchmark::State& state, const char* first, const char* last,
                    std::uint64_t expectedBytes) {
    std::uint64_t size = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tavix::testing::RecordingWindow window(tavix::testing::withInterval(first, last));
        window.recording = false;
        window.makeWholeText = false;
        state.ResumeTiming();
        tavix::cmdCalc_Click(window, tavix::fullStopFormat());
        size = window.result->size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["text_bytes"] = double(size);
    if (size != expectedBytes) {
        rejectResult(state,
                     std::to_string(size) + " bytes, expected " + std::to_string(expectedBytes));
    }
}

void readFar(benchmark::State& state) {
    const tavix::ResultTextPtr text = tavix::testing::listingText("0", "2147483647");
    std::string piece;
    for (auto _ : state) {
        // A reader of its own each time: nothing made before helps.
        const std::uint64_t at = text->byteOffset(600'000'000);
        piece = text->slice(at, text->byteOffset(600'000'040));
        benchmark::DoNotOptimize(piece.data());
    }
    state.SetLabel(piece);
    if (piece.size() != 40 || !consecutivePrimes(piece)) {
        rejectResult(state, "not a stretch of consecutive primes: " + piece);
    }
}

void readWhole(benchmark::State& state) {
    const tavix::ResultTextPtr text = tavix::testing::listingText("0", "2147483647");
    std::string chunk(1 << 20, '\0');
    std::uint64_t read = 0;
    for (auto _ : state) {
        read = 0;
        const auto reader = text->reader();
        for (std::uint64_t pos = 0; pos < text->size(); pos += chunk.size()) {
            const std::uint64_t n = std::min<std::uint64_t>(chunk.size(), text->size() - pos);
            reader->read(pos, std::span<char>(chunk.data(), n));
            benchmark::DoNotOptimize(chunk.data());
            read += n;
        }
    }
    state.counters["text_bytes"] = double(read);
    const std::string_view end(chunk.data(), text->size() % chunk.size());
    if (read != kWholeRangeBytes || !end.ends_with(", 2147483629, 2147483647")) {
        rejectResult(state, std::to_string(read) + " bytes read, expected " +
                                std::to_string(kWholeRangeBytes));
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("result_text/listing/0/10000000", listingLaidOut, "0", "10000000",
                                 std::uint64_t{5'891'726})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("result_text/listing/0/2147483647", listingLaidOut, "0",
                                 "2147483647", kWholeRangeBytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("result_text/read_40_at_600000000", readFar)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("result_text/read_whole/0/2147483647", readWhole)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
