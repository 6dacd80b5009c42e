#!/usr/bin/env bash
# Builds Tavix and runs every test, in six steps, the builds each a preset of CMakePresets.json
# (warnings are errors in every build):
#  1. the format of every tracked C++ source (tools/format-check.sh, .clang-format).
#  2. the program and all its tests, in build/ (preset default). Window tests need a
#     display, a window manager and a D-Bus session: this script starts a private Xvfb,
#     openbox and session bus, and stops them. Arguments go to this step's ctest.
#  3. the core, the windows and their in-process tests (offscreen) again, with
#     AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/ (preset sanitize).
#  4. everything that runs without Qt with ThreadSanitizer, in build-tsan/ (preset tsan): the
#     core's tests (the listing's two workers, the text made on demand) and the result
#     area's widget-free parts (the line index built on its own thread, the layout, the
#     save), but for those labelled single, which run on one thread only.
#  5. each fuzz target for a few seconds (tools/fuzz.sh), in build-fuzz/ (preset fuzz).
#  6. the Debian package (tools/package-check.sh): built twice from the tracked files and
#     compared byte for byte, lintian, blhc and hardening-check, its contents and its own test.
# Steps 3 and 4 leave out the tests labelled slow. Configuring again with a preset that has
# not changed takes a moment, and the build then finds nothing to do.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/deps.sh
tools/format-check.sh

# A build step: configure with the preset (again, should a setting have changed), build.
build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

build default
tools/with-display.sh ctest --preset default "$@"

build sanitize
ctest --preset sanitize

build tsan
ctest --preset tsan

tools/fuzz.sh

tools/package-check.sh
