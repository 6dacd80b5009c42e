#!/usr/bin/env bash
# Builds Tavix and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" --target tavix
exec "$root/build/app/tavix" "$@"
