// "Verificar" and "Fatorar" on the largest numbers they accept, through a window that
// records nothing; `literal` runs the original step-by-step loops once. Every answer is kept
// from being optimised away and held against the one the number must get; a wrong one
// rejects the case.
#include <benchmark/benchmark.h>
#include <string>

#include "bench_check.hpp"
#include "core/computations.hpp"
#include "oracle/factor_literal.hpp"
#include "oracle/verify_literal.hpp"
#include "support/recording_window.hpp"

namespace tavix::bench {
namespace {

using testing::RecordingWindow;

RecordingWindow quietWindow(const std::string& text) {
    RecordingWindow window;
    window.recording = false;
    window.state.txtV = text;
    return window;
}

struct Case {
    const char* number;
    const char* answer;  // the verdict, or the right column of the table
};

void verify(benchmark::State& state, const Case& c, bool literal) {
    RecordingWindow window = quietWindow(c.number);
    for (auto _ : state) {
        if (literal) {
            oracle::PassBudget unlimited;
            oracle::literalVerify(window, fullStopFormat(), unlimited);
        } else {
            cmdV_Click(window, fullStopFormat());
        }
        if (window.messages.size() != 1 || window.messages.back().text != c.answer) {
            const std::string verdict =
                window.messages.empty() ? "no message" : window.messages.back().text;
            rejectResult(
                state, std::string(c.number) + ": [" + verdict + "], expected [" + c.answer + "]");
            break;
        }
        benchmark::DoNotOptimize(window.messages.back().text.data());
        window.messages.clear();
    }
}

void factor(benchmark::State& state, const Case& c, bool literal) {
    RecordingWindow window = quietWindow(c.number);
    for (auto _ : state) {
        if (literal) {
            oracle::PassBudget unlimited;
            oracle::literalFatorar(window, fullStopFormat(), unlimited);
        } else {
            cmdFatorar_Click(window, fullStopFormat());
        }
        benchmark::DoNotOptimize(window.state.lblFator.data());
        if (window.state.lblFator != c.answer) {
            rejectResult(state, std::string(c.number) + ": factors [" + window.state.lblFator +
                                    "], expected [" + c.answer + "]");
            break;
        }
    }
}

const int registered = [] {
    static const Case verified[] = {
        {"2147483647", "2147483647 é um número primo"},
        {"2147483629", "2147483629 é um número primo"},
    };
    static const Case factored[] = {
        {"2147483578", "2\r1073741789"},
        {"2147483646", "2\r3\r3\r7\r11\r31\r151\r331"},
        {"2147117569", "46337\r46337"},
    };
    for (const Case& c : verified) {
        benchmark::RegisterBenchmark((std::string("verify/") + c.number).c_str(),
                                     [&c](benchmark::State& state) { verify(state, c, false); })
            ->Unit(benchmark::kMicrosecond);
    }
    for (const Case& c : factored) {
        benchmark::RegisterBenchmark((std::string("factor/") + c.number).c_str(),
                                     [&c](benchmark::State& state) { factor(state, c, false); })
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("verify_literal/2147483647",
                                 [](benchmark::State& state) { verify(state, verified[0], true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("factor_literal/2147483578",
                                 [](benchmark::State& state) { factor(state, factored[0], true); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return 0;
}();

}  // namespace
}  // namespace tavix::bench
