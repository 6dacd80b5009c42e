#!/usr/bin/env bash
# Builds Tavix and runs every test. Window tests need a display, a window manager and a
# D-Bus session: this script starts a private Xvfb, openbox and session bus, and stops them.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh"
exec "$root/tools/with-display.sh" ctest --test-dir "$root/build" --output-on-failure "$@"
