#!/usr/bin/env bash
# Builds Tavix and runs every test, in three steps:
#  1. the program and all its tests, in build/. Window tests need a display, a window
#     manager and a D-Bus session: this script starts a private Xvfb, openbox and session
#     bus, and stops them. Arguments go to this step's ctest.
#  2. the core and its tests again, with AddressSanitizer and UndefinedBehaviorSanitizer, in
#     build-sanitize/. Tests whose name holds "Slow", or labelled slow, are left out.
#  3. the core and the result area's widget-free parts again, with ThreadSanitizer, in
#     build-tsan/: the tests of the work that runs on threads of its own (the listing's text,
#     the line index, the layout, the save).
#  4. each fuzz target for a few seconds (tools/fuzz.sh), in build-fuzz/.
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
ctest --test-dir "$sanitize" --output-on-failure -j2 -LE slow -E Slow

tsan="$root/build-tsan"
if [ ! -f "$tsan/build.ninja" ]; then
    cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
        -DTAVIX_TSAN=ON -DTAVIX_UI=OFF -DTAVIX_BENCH=OFF >/dev/null
fi
cmake --build "$tsan" --target tavix_core_tests tavix_result_model_tests
# The tests of the work on threads of its own; the rest adds nothing here and takes long.
threaded='ListingText\.(TheWholeRange|RangesOfShort)|LineWrap\.(IndexBuilt|AnIndexGone)'
threaded+='|LayoutTest\.(Scrolls|TheEnd|ANew|Keys)|SaveFileTest\.|TextSource\.ChunksStream'
ctest --test-dir "$tsan" --output-on-failure -j2 -R "^($threaded)"

"$root/tools/fuzz.sh"
