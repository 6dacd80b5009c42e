// "Calcular" from start to end, its text included, on a window that records nothing. Only
// the click is timed: the window is made before it and dropped after. Every run is checked
// against a count and a text size found apart from the program (a plain sieve, or the known
// figures of the whole range) and rejected when they differ. Each case reports its own peak
// memory; the whole range runs in a process of its own, as a first listing in the window
// does, and that process ends without freeing its 1.2 GB.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_check.hpp"
#include "core/computations.hpp"
#include "oracle/listing_literal.hpp"
#include "support/recording_window.hpp"

namespace tavix::bench {
namespace {

using Click = void (*)(Window&, const NumberFormat&);
using testing::RecordingWindow;

struct Listing {
    std::uint64_t primes = 0;
    std::uint64_t bytes = 0;
    double seconds = 0;
    double peakMB = 0;

    bool operator==(const Listing& other) const {
        return primes == other.primes && bytes == other.bytes;
    }
};

std::string describe(const Listing& listing) {
    return std::to_string(listing.primes) + " primes in " + std::to_string(listing.bytes) +
           " bytes";
}

// The count line and size of the listing of [first, last], found with a plain sieve.
Listing bySieve(std::uint32_t first, std::uint32_t last) {
    const auto root = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(last))) + 1;
    std::vector<bool> smallComposite(root + 1, false);
    std::vector<bool> composite(last - first + 1, false);
    for (std::uint64_t p = 2; p <= root; ++p) {
        if (smallComposite[p])
            continue;
        for (std::uint64_t m = p * p; m <= root; m += p)
            smallComposite[m] = true;
        for (std::uint64_t m = std::max<std::uint64_t>(p * p, (first + p - 1) / p * p); m <= last;
             m += p) {
            composite[m - first] = true;
        }
    }
    Listing listing;
    std::uint64_t digits = 0;
    for (std::uint64_t n = std::max<std::uint32_t>(first, 2); n <= last; ++n) {
        if (!composite[n - first]) {
            ++listing.primes;
            digits += std::to_string(n).size();
        }
    }
    const std::string countLine =
        "Total de " + std::to_string(listing.primes) + " números primos: ";
    listing.bytes = countLine.size() + digits + 2 * (listing.primes - 1);
    return listing;
}

// What a listing shows: its count, read off the count line, and its size.
Listing shown(const std::string& txt) {
    Listing listing;
    const std::string prefix = "Total de ";
    if (txt.compare(0, prefix.size(), prefix) == 0)
        listing.primes = std::strtoull(txt.c_str() + prefix.size(), nullptr, 10);
    listing.bytes = txt.size();
    return listing;
}

// One click, timed on its own.
Listing listOnce(RecordingWindow& window, Click click) {
    const auto start = std::chrono::steady_clock::now();
    click(window, fullStopFormat());
    const auto end = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(window.state.txt.data());
    Listing listing = shown(window.state.txt);
    listing.seconds = std::chrono::duration<double>(end - start).count();
    return listing;
}

std::unique_ptr<RecordingWindow> windowWith(const std::string& first, const std::string& last) {
    testing::WindowState start;
    start.txtIni = first;
    start.txtN = last;
    auto window = std::make_unique<RecordingWindow>(start);
    window->recording = false;
    return window;
}

// One click in a child process: fresh memory, and no freeing of the text at the end.
Listing listInChild(Click click, const std::string& first, const std::string& last) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        resetPeakMemory();
        RecordingWindow& window = *windowWith(first, last).release();
        Listing listing = listOnce(window, click);
        listing.peakMB = peakMemoryMB();
        const bool written = write(pipeEnds[1], &listing, sizeof listing) == sizeof listing;
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    Listing listing;
    const bool read = child > 0 && ::read(pipeEnds[0], &listing, sizeof listing) == sizeof listing;
    close(pipeEnds[0]);
    int status = 0;
    if (child > 0)
        waitpid(child, &status, 0);
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? listing : Listing{};
}

struct Case {
    const char* name;
    Click click;
    const char* first;
    const char* last;
    Listing expected;
    bool ownProcess = false;
};

void runListing(benchmark::State& state, const Case& c) {
    resetPeakMemory();
    Listing listing;
    for (auto _ : state) {
        if (c.ownProcess) {
            listing = listInChild(c.click, c.first, c.last);
        } else {
            auto window = windowWith(c.first, c.last);
            listing = listOnce(*window, c.click);
            listing.peakMB = peakMemoryMB();
        }
        state.SetIterationTime(listing.seconds);
        if (!(listing == c.expected)) {
            rejectResult(state, std::string(c.name) + ": " + describe(listing) + ", expected " +
                                    describe(c.expected));
            break;
        }
    }
    state.counters["primes"] = static_cast<double>(listing.primes);
    state.counters["text_bytes"] = static_cast<double>(listing.bytes);
    state.counters["peak_rss_MB"] = listing.peakMB;
}

// Registered by bare name: per-benchmark repetitions, iteration counts or real-time flags
// would add suffixes to it. Ask for medians with --benchmark_repetitions. The time is the
// click's own, measured around it (two threads work in it); the CPU time is the calling
// thread's only.
const bool registered = [] {
    static const Case cases[] = {
        {"listing/0/100000", cmdCalc_Click, "0", "100000", bySieve(0, 100000)},
        {"listing_literal/0/100000", oracle::cmdCalc_Click_literal, "0", "100000",
         bySieve(0, 100000)},
        {"listing/0/10000000", cmdCalc_Click, "0", "10000000", {664579, 5891726}},
        {"listing/2147383647/2147483647", cmdCalc_Click, "2147383647", "2147483647",
         bySieve(2147383647, 2147483647)},
        {"listing/0/2147483647", cmdCalc_Click, "0", "2147483647", {105097565, 1203807730}, true},
    };
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(c.name,
                                     [&c](benchmark::State& state) { runListing(state, c); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
}  // namespace tavix::bench
