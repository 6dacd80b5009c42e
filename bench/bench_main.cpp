// tavix_bench: Google Benchmark's own main, which also fails when a case got a wrong result.
#include <cstdio>

#include "bench_check.hpp"

namespace tavix::bench {

namespace {
bool rejected = false;
}  // namespace

void rejectResult(benchmark::State& state, const std::string& why) {
    rejected = true;
    std::fprintf(stderr, "wrong result: %s\n", why.c_str());
    state.SkipWithError(why.c_str());
}

bool anyRejected() {
    return rejected;
}

}  // namespace tavix::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return tavix::bench::anyRejected() ? 1 : 0;
}
