#!/usr/bin/env bash
# Renders the program icon res/tavix.png (100 x 100) at the sizes that desktops look up in
# the hicolor icon theme, into res/icons/tavix-<size>.png. Run it again after changing
# res/tavix.png and commit the results: the build itself needs no ImageMagick.
# The output is reproducible: no time stamps or other ancillary chunks are written.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
convert=${CONVERT:-convert}
command -v "$convert" >/dev/null || { echo "render-icons: ImageMagick's convert is missing" >&2; exit 1; }
mkdir -p "$root/res/icons"
for size in 16 22 24 32 48 64 128 256; do
    "$convert" "$root/res/tavix.png" -colorspace sRGB -filter Lanczos -resize "${size}x${size}!" \
        -strip -define png:exclude-chunks=date,time,tIME \
        "PNG24:$root/res/icons/tavix-$size.png"
done
echo "render-icons: res/icons/tavix-{16,22,24,32,48,64,128,256}.png"
