#!/usr/bin/env bash
# Draws the program's icon (a hand-held terminal with a download arrow, as
# the 16 px one in about/) at the sizes the Debian package installs, and
# bayhaul.ico for Windows with the sizes Windows asks for (16 and 24 px in
# lists and the title bar, 32 and 48 px on the desktop, 256 px in large
# views, kept as PNG inside the file). The files are checked in, so building
# needs no ImageMagick; run this after changing the picture.
set -euo pipefail
cd "$(dirname "$0")"

# Drawn at 1024 px on a 256-unit grid (4 px a unit), then scaled down.
art=$(mktemp --suffix=.png)
trap 'rm -f "$art"' EXIT
convert -size 1024x1024 xc:none \
  -fill '#1f4e8c' -stroke '#0f2f5a' -strokewidth 24 \
  -draw 'roundrectangle 224,64 800,960 112,112' \
  -fill '#d4e6fb' -stroke '#86acd9' -strokewidth 16 \
  -draw 'roundrectangle 320,160 704,480 40,40' \
  -fill '#f5a623' -stroke '#b86f06' -strokewidth 16 \
  -draw 'stroke-linejoin round polygon 440,536 584,536 584,712 696,712 512,904 328,712 440,712' \
  "$art"
for size in 48 128 256; do
  convert "$art" -filter Lanczos -resize "${size}x${size}" -strip \
    "PNG32:bayhaul-${size}.png"
done
# Each size scaled from the one drawing; ImageMagick stores the 256 px image
# as PNG and the others as 32-bit bitmaps with their alpha.
convert "$art" -filter Lanczos -strip -depth 8 -define icon:auto-resize=256,48,32,24,16 bayhaul.ico
