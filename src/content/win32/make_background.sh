#!/usr/bin/env bash
# Makes background.jpg, the 400 x 350 background of the setup window: a dark
# gradient, the heading, and the two button frames that Label15 (Interrompi)
# and Label14 (Avanti) lie on.  The frames sit exactly under the labels'
# rectangles (15 twips to a pixel):
#   Label15  2760, 4680, 1410, 240 twips  ->  x 184, y 312, 94 x 16 pixels
#   Label14  4440, 4680, 1380, 240 twips  ->  x 296, y 312, 92 x 16 pixels
# Needs ImageMagick and the DejaVu fonts (Debian: imagemagick fonts-dejavu-core).
# The output is committed; run this only to change the picture.
set -euo pipefail
cd "$(dirname "$0")"
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# A button face with a light edge; its outer edge is the rectangle X Y W H.
frame() {
  local x=$1 y=$2 w=$3 h=$4
  echo "roundrectangle $x,$y $((x + w - 1)),$((y + h - 1)) 3,3"
}

convert -size 400x350 'gradient:#123a46-#06151c' \
  -fill '#0b2731' -stroke none -draw 'rectangle 0,0 399,58' \
  -fill '#c0ffff' -draw 'rectangle 16,58 383,59' \
  -font "$bold" -pointsize 26 -fill '#fce8e2' -annotate +18+38 'Ortavia-on-line' \
  -font "$plain" -pointsize 11 -fill '#c0ffff' -annotate +262+38 'Installazione' \
  -fill '#0b2731' -draw 'rectangle 0,300 399,349' \
  -fill '#c0ffff' -draw 'rectangle 16,300 383,300' \
  -fill '#1d4b57' -stroke '#9fd8e0' -strokewidth 1 \
  -draw "$(frame 184 312 94 16)" \
  -draw "$(frame 296 312 92 16)" \
  -stroke none -strip -sampling-factor 4:2:0 -quality 90 background.jpg
identify background.jpg
