// The listing's result text made on demand: the listing itself (the text laid out, nothing
// made), 40 characters read far into the whole range, and the whole range read from start to
// end through one reader.
#include <benchmark/benchmark.h>
#include <string>

#include "core/computations.hpp"
#include "support/recording_window.hpp"

namespace {

tavix::ResultTextPtr listed(const char* first, const char* last) {
    tavix::testing::RecordingWindow window(tavix::testing::withInterval(first, last));
    window.recording = false;
    window.makeWholeText = false;
    tavix::cmdCalc_Click(window, tavix::fullStopFormat());
    return window.result;
}

// The click, up to the text handed to the window; the window is made outside the timing.
void listingLaidOut(benchmark::State& state, const char* first, const char* last) {
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
}

void readFar(benchmark::State& state) {
    const tavix::ResultTextPtr text = listed("0", "2147483647");
    std::string piece;
    for (auto _ : state) {
        // A reader of its own each time: nothing made before helps.
        const std::uint64_t at = text->byteOffset(600'000'000);
        piece = text->slice(at, text->byteOffset(600'000'040));
        benchmark::DoNotOptimize(piece.data());
    }
    state.SetLabel(piece);
}

void readWhole(benchmark::State& state) {
    const tavix::ResultTextPtr text = listed("0", "2147483647");
    std::string chunk(1 << 20, '\0');
    for (auto _ : state) {
        const auto reader = text->reader();
        for (std::uint64_t pos = 0; pos < text->size(); pos += chunk.size()) {
            const std::uint64_t n = std::min<std::uint64_t>(chunk.size(), text->size() - pos);
            reader->read(pos, std::span<char>(chunk.data(), n));
            benchmark::DoNotOptimize(chunk.data());
        }
    }
    state.counters["text_bytes"] = double(text->size());
}

const bool registered = [] {
    benchmark::RegisterBenchmark("result_text/listing/0/10000000", listingLaidOut, "0", "10000000")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("result_text/listing/0/2147483647", listingLaidOut, "0",
                                 "2147483647")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("result_text/read_40_at_600000000", readFar)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("result_text/read_whole/0/2147483647", readWhole)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
