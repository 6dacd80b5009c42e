#!/usr/bin/env bash
# Builds Tavix and runs every test, in five steps (warnings are errors in every build):
#  1. the format of every tracked C++ source (tools/format-check.sh, .clang-format).
#  2. the program and all its tests, in build/. Window tests need a display, a window
#     manager and a D-Bus session: this script starts a private Xvfb, openbox and session
#     bus, and stops them. Arguments go to this step's ctest.
#  3. the core, the windows and their in-process tests (offscreen) again, with
#     AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
#  4. everything that runs without Qt with ThreadSanitizer, in build-tsan/: the core's tests
#     (the listing's two workers, the text made on demand) and the result area's widget-free
#     parts (the line index built on its own thread, the layout, the save).
#  5. each fuzz target for a few seconds (tools/fuzz.sh), in build-fuzz/.
# Steps 3 and 4 leave out the tests labelled slow.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/format-check.sh"

# Configures a build directory once, or again when one of its settings differs.
configure() {
    local dir=$1
    shift
    local setting
    for setting in "$@"; do
        if [ ! -f "$dir/build.ninja" ] ||
            ! grep -Eqx -- "$(sed -E 's/^-D([A-Z_]+)=(.*)$/\1:[A-Z]+=\2/' <<<"$setting")" \
                "$dir/CMakeCache.txt"; then
            cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
            return
        fi
    done
}

configure "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_WERROR=ON
"$root/tools/build.sh"
"$root/tools/with-display.sh" ctest --test-dir "$root/build" --output-on-failure -j2 "$@"

# -O1: full stack traces, and it compiles faster than -O2 under the sanitizers.
configure "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
    -DTAVIX_SANITIZE=ON -DTAVIX_UI=ON -DTAVIX_BENCH=OFF -DTAVIX_WERROR=ON
cmake --build "$root/build-sanitize"
ctest --test-dir "$root/build-sanitize" --output-on-failure -j2 -L '^(core|model|ui)$' -LE slow

configure "$root/build-tsan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
    -DTAVIX_TSAN=ON -DTAVIX_UI=OFF -DTAVIX_BENCH=OFF -DTAVIX_WERROR=ON
cmake --build "$root/build-tsan"
# The comparisons with the literal loops and the reference number operations run on one
# thread only: nothing for ThreadSanitizer to see, and the longest of its tests.
single='cmdFatorar_ClickAgainstLiteralLoops|cmdV_ClickAgainstLiteralLoop|ListingAgainstLiteral'
single+='|FatorarNumeroAgainstLiteralLoop|NumberReference'
ctest --test-dir "$root/build-tsan" --output-on-failure -j2 -LE slow -E "^($single)\\."

"$root/tools/fuzz.sh"
"$root/tools/package-check.sh"
