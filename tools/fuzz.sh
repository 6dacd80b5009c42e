#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ into build-fuzz/ (preset fuzz) and runs each of
# them for a number of seconds (5 unless given): tools/fuzz.sh 600 fuzzes ten minutes per
# target. Inputs found new are kept in build-fuzz/tests/fuzz/corpus/, an input that breaks a
# property in build-fuzz/tests/fuzz/crashes/ (replay it: build-fuzz/tests/fuzz/fuzz_<name>
# <file>; once mended, keep it in tests/fuzz/regressions/<name>/, which every test run
# replays). Extra arguments go to ctest, e.g. -R fuzz_factorization.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
seconds=${1:-5}
shift || true
tools/deps.sh
cmake --preset fuzz -DTAVIX_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz "$@"
