// Writes core/engines/window_counts.cpp: how many primes from 7 up each whole sieve window
// below 2^31 holds, counted by the program's own sieve.
//
//   make_window_counts --write F   writes the file F (whole, or not at all)
//   make_window_counts --check F   exits with status 1 when the file F differs from it
//
// The build's target window_counts writes the table in place (cmake --build build --target
// window_counts); the test window_counts_table runs the check. The program is built from the
// sieve alone, not from the table, so that it builds while the table is out of date.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/engines/prime_sieve.hpp"
#include "core/engines/window_counts.hpp"  // kCountedWindows only: not the table

namespace {

using namespace tavix;

std::vector<std::uint64_t> countsOfWholeWindows() {
    const SievingPrimes primes(kCountedWindows * kWindowSpan - 1);
    WindowSieve sieve(primes);
    std::vector<std::uint64_t> bitmap(kWindowWords);
    std::vector<std::uint64_t> counts;
    for (std::uint64_t window = 0; window < kCountedWindows; ++window) {
        sieve.sieve(window, bitmap.data());
        counts.push_back(countBits(bitmap.data(), 0, kWindowBits));
    }
    return counts;
}

std::string tableFile(const std::vector<std::uint64_t>& counts) {
    std::ostringstream out;
    const std::string span = std::to_string(kWindowSpan);
    out << "// Written by tools/window_counts/make_window_counts.cpp from the program's own sieve: "
           "do not\n"
           "// edit. After a change of the sieve's window (core/engines/tuning.hpp), write it "
           "again:\n"
           "//     cmake --build build --target window_counts\n"
           "// The test window_counts_table fails while this file differs from what that writes.\n"
           "#include \"core/engines/window_counts.hpp\"\n"
           "\n"
           "#include <array>\n"
           "\n"
           "#include \"core/engines/prime_sieve.hpp\"\n"
           "\n"
           "namespace tavix {\n"
           "\n"
           "namespace {\n"
           "\n"
        << "static_assert(kWindowSpan == " << span << " && kCountedWindows == " << counts.size()
        << ",\n"
           "              \"the table counts windows of "
        << span
        << " numbers: write it again\");\n"
           "\n"
           "// Primes from 7 up in window w, the numbers from "
        << span << "·w to " << span
        << "·(w + 1) − 1.\n"
           "// clang-format off\n"
           "constexpr std::array<std::uint32_t, kCountedWindows> kPrimesPerWindow = {\n";
    constexpr std::size_t kPerLine = 13;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        out << (i % kPerLine == 0 ? "    " : " ") << counts[i] << ',';
        if (i % kPerLine == kPerLine - 1 || i + 1 == counts.size()) {
            out << '\n';
        }
    }
    out << "};\n"
           "// clang-format on\n"
           "\n"
           "}  // namespace\n"
           "\n"
           "std::optional<std::uint64_t> primesInWholeWindow(std::uint64_t window) {\n"
           "    if (window >= kCountedWindows) {\n"
           "        return std::nullopt;\n"
           "    }\n"
           "    return kPrimesPerWindow[window];\n"
           "}\n"
           "\n"
           "}  // namespace tavix\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "--write" && mode != "--check") {
        std::cerr << "usage: make_window_counts --write FILE | --check FILE\n";
        return 2;
    }
    const std::filesystem::path path = argv[2];
    const std::string table = tableFile(countsOfWholeWindows());
    if (mode == "--check") {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream committed;
        committed << file.rdbuf();
        if (!file || committed.str() != table) {
            std::cerr << path << " is not what make_window_counts writes; write it again:\n"
                      << "    cmake --build build --target window_counts\n";
            return 1;
        }
        return 0;
    }
    std::filesystem::path fresh = path;
    fresh += ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out << table;
        out.close();
        if (!out) {
            std::cerr << "could not write " << fresh << '\n';
            return 1;
        }
    }
    std::filesystem::rename(fresh, path);
    return 0;
}
