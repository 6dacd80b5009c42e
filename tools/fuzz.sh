#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ into build-fuzz/ and runs each of them for a
# number of seconds (5 unless given): tools/fuzz.sh 600 fuzzes ten minutes per target.
# Inputs found new are kept in build-fuzz/tests/fuzz/corpus/, an input that breaks a
# property in build-fuzz/tests/fuzz/crashes/ (replay it: build-fuzz/tests/fuzz/fuzz_<name>
# <file>; once mended, keep it in tests/fuzz/regressions/<name>/, which every test run
# replays). Extra arguments go to ctest, e.g. -R fuzz_factorization.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-5}
shift || true
"$root/tools/deps.sh"
build="$root/build-fuzz"
if [ ! -f "$build/build.ninja" ] ||
    ! grep -q "^TAVIX_FUZZ_SECONDS:STRING=$seconds\$" "$build/CMakeCache.txt" ||
    ! grep -q "^TAVIX_WERROR:BOOL=ON\$" "$build/CMakeCache.txt"; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTAVIX_FUZZ=ON -DTAVIX_FUZZ_SECONDS="$seconds" \
        -DTAVIX_WERROR=ON >/dev/null
fi
cmake --build "$build" --target tavix_fuzz
ctest --test-dir "$build" -L fuzz --output-on-failure -j2 "$@"
