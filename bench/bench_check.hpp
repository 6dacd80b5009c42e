// What every benchmark of the core shares: rejecting a run whose result is wrong, and the
// peak memory of one case.
#pragma once

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

#include "support/process_memory.hpp"

namespace tavix::bench {

// Marks the case as failed: it reports the reason instead of a figure, and tavix_bench ends
// with status 1.
void rejectResult(benchmark::State& state, const std::string& why);

// Whether any case was rejected.
bool anyRejected();

// Starts a new peak: the process's high-water mark of resident memory drops to what it
// holds now (Linux 4.0 and later).
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The highest resident memory since the last reset, in MB.
inline double peakMemoryMB() {
    return static_cast<double>(testing::statusKilobytes("VmHWM:")) / 1024.0;
}

}  // namespace tavix::bench
