#!/usr/bin/env bash
# Builds Tavix and runs every test, in three steps:
#  1. the program and all its tests, in build/. Window tests need a display, a window
#     manager and a D-Bus session: this script starts a private Xvfb, openbox and session
#     bus, and stops them. Arguments go to this step's ctest.
#  2. the core and its tests again, with AddressSanitizer and UndefinedBehaviorSanitizer, in
#     build-sanitize/. Tests whose name holds "Slow", or labelled slow, are left out.
#  3. each fuzz target for a few seconds (tools/fuzz.sh), in build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh"
"$root/tools/with-display.sh" ctest --test-dir "$root/build" --output-on-failure "$@"

sanitize="$root/build-sanitize"
if [ ! -f "$sanitize/build.ninja" ]; then
    # -O1: full stack traces, and it compiles faster than -O2 under the sanitizers.
    cmake -S "$root" -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
        -DTAVIX_SANITIZE=ON -DTAVIX_UI=OFF -DTAVIX_BENCH=OFF >/dev/null
fi
cmake --build "$sanitize"
ctest --test-dir "$sanitize" --output-on-failure -j2 -LE slow

"$root/tools/fuzz.sh"
