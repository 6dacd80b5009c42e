// "Verificar" and "Fatorar" on the largest numbers they accept, through a window that
// records nothing; `literal` runs the original step-by-step loops once.
#include <benchmark/benchmark.h>

#include <string>

#include "core/computations.hpp"
#include "oracle/factor_literal.hpp"
#include "oracle/verify_literal.hpp"
#include "support/recording_window.hpp"

namespace tavix {
namespace {

using testing::RecordingWindow;

RecordingWindow quietWindow(const std::string& text) {
    RecordingWindow window;
    window.recording = false;
    window.state.txtV = text;
    return window;
}

void verify(benchmark::State& state, const std::string& text) {
    RecordingWindow window = quietWindow(text);
    for (auto _ : state) {
        cmdV_Click(window, fullStopFormat());
        window.messages.clear();
    }
}

void factor(benchmark::State& state, const std::string& text) {
    RecordingWindow window = quietWindow(text);
    for (auto _ : state) {
        cmdFatorar_Click(window, fullStopFormat());
        benchmark::DoNotOptimize(window.state.lblFator.data());
    }
}

void verifyLiteral(benchmark::State& state, const std::string& text) {
    RecordingWindow window = quietWindow(text);
    for (auto _ : state) {
        oracle::PassBudget unlimited;
        oracle::literalVerify(window, fullStopFormat(), unlimited);
        window.messages.clear();
    }
}

void factorLiteral(benchmark::State& state, const std::string& text) {
    RecordingWindow window = quietWindow(text);
    for (auto _ : state) {
        oracle::PassBudget unlimited;
        oracle::literalFatorar(window, fullStopFormat(), unlimited);
        benchmark::DoNotOptimize(window.state.lblFator.data());
    }
}

const int registered = [] {
    for (const char* text : {"2147483647", "2147483629"}) {
        benchmark::RegisterBenchmark((std::string("verify/") + text).c_str(), verify, text)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const char* text : {"2147483578", "2147483646", "2147117569"}) {
        benchmark::RegisterBenchmark((std::string("factor/") + text).c_str(), factor, text)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("verify_literal/2147483647", verifyLiteral, "2147483647")
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("factor_literal/2147483578", factorLiteral, "2147483578")
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return 0;
}();

}  // namespace
}  // namespace tavix
