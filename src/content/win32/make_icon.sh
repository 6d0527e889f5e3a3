#!/usr/bin/env bash
# Makes ortavia.ico, the setup's icon: one 128 x 128 image with 256 colours
# (8 bits per pixel, a palette), stored as a bitmap inside the icon file.
# Needs ImageMagick and the DejaVu fonts (Debian: imagemagick fonts-dejavu-core).
# The output is committed; run this only to change the icon.
set -euo pipefail
cd "$(dirname "$0")"
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 128x128 xc:none \
  -fill '#0b2731' -stroke '#9fd8e0' -strokewidth 4 -draw 'roundrectangle 4,4 123,123 20,20' \
  -fill '#123a46' -stroke none -draw 'circle 64,60 64,22' \
  -font "$bold" -pointsize 64 -fill '#fce8e2' -gravity center -annotate +0-4 'O' \
  -font "$bold" -pointsize 15 -fill '#c0ffff' -gravity south -annotate +0+12 'on-line' \
  "$tmp/icon.png"
# BMP3 keeps the palette: an 8-bit, 256-colour image with a 1-bit mask.
convert "$tmp/icon.png" -background none -dither None -colors 255 -type PaletteAlpha \
  -define icon:auto-resize=128 -compress None -strip "ico:ortavia.ico"
identify -verbose ortavia.ico | grep -E 'Geometry|Type|Colors|Depth' | head -5
