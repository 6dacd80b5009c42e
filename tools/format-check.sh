#!/usr/bin/env bash
# Checks that every tracked C++ source is formatted as .clang-format says; with --fix,
# formats them in place instead.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -t sources < <(git ls-files -- '*.cpp' '*.hpp' '*.h')
if [ ${#sources[@]} -eq 0 ]; then
    echo "tavix: nenhum fonte C++ registrado no git em $root" >&2
    exit 1
fi
if [ "${1:-}" = --fix ]; then
    clang-format -i "${sources[@]}"
    exit 0
fi
if ! clang-format --dry-run -Werror "${sources[@]}" 2>/tmp/tavix-format.$$; then
    head -n 40 /tmp/tavix-format.$$ >&2
    rm -f /tmp/tavix-format.$$
    echo "tavix: fontes fora do formato; rode ./tools/format-check.sh --fix" >&2
    exit 1
fi
rm -f /tmp/tavix-format.$$
echo "tavix: ${#sources[@]} fontes no formato do .clang-format"
