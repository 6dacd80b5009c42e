// "Calcular" from start to end, text included, on a window that records nothing.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include "core/computations.hpp"
#include "oracle/listing_literal.hpp"
#include "support/recording_window.hpp"

namespace {

using Click = void (*)(tavix::Window&, const tavix::NumberFormat&);

void runListing(benchmark::State& state, Click click, const std::string& first,
                const std::string& last) {
    std::size_t textSize = 0;
    for (auto _ : state) {
        tavix::testing::WindowState start;
        start.txtIni = first;
        start.txtN = last;
        tavix::testing::RecordingWindow window(start);
        window.recording = false;
        click(window, tavix::fullStopFormat());
        textSize = window.state.txt.size();
        benchmark::DoNotOptimize(window.state.txt.data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["text_bytes"] = static_cast<double>(textSize);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void registerListing(const std::string& name, Click click, const std::string& first,
                     const std::string& last, int iterations, int repetitions) {
    auto* benchmark = benchmark::RegisterBenchmark(
        name.c_str(), [=](benchmark::State& state) { runListing(state, click, first, last); });
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(repetitions);
    if (iterations > 0)
        benchmark->Iterations(iterations);
}

const bool registered = [] {
    registerListing("listing/0/100000", tavix::cmdCalc_Click, "0", "100000", 0, 5);
    registerListing("listing_literal/0/100000", tavix::oracle::cmdCalc_Click_literal, "0", "100000",
                    1, 3);
    registerListing("listing/0/10000000", tavix::cmdCalc_Click, "0", "10000000", 0, 5);
    registerListing("listing/2147383647/2147483647", tavix::cmdCalc_Click, "2147383647",
                    "2147483647", 0, 5);
    registerListing("listing/0/2147483647", tavix::cmdCalc_Click, "0", "2147483647", 1, 3);
    return true;
}();

}  // namespace
