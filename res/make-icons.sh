#!/usr/bin/env bash
# Draws icon 128, the program's icon (a phone with a speech bubble), in 32x32 and 16x16, 16 colours.
# Run from anywhere; needs ImageMagick. The PNGs are committed; run again only to change the art.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 32x32 xc:none \
  -fill '#1f3a93' -stroke '#0b1a4a' -draw 'roundrectangle 8,1 23,30 3,3' \
  -fill '#cfe8ff' -stroke none -draw 'rectangle 10,4 21,23' \
  -fill '#0b1a4a' -draw 'rectangle 14,26 17,27' \
  -fill '#ffd21f' -stroke '#8a5a00' -draw 'roundrectangle 1,7 17,17 3,3' \
  -fill '#ffd21f' -stroke none -draw 'polygon 4,16 4,21 9,16' \
  -stroke '#8a5a00' -draw 'line 4,17 4,21' -draw 'line 4,21 9,17' \
  -fill '#8a5a00' -stroke none -draw 'rectangle 4,10 14,10' -draw 'rectangle 4,13 11,13' \
  -colors 16 PNG8:icon-128-32.png
convert -size 16x16 xc:none \
  -fill '#1f3a93' -stroke '#0b1a4a' -draw 'roundrectangle 4,0 12,15 2,2' \
  -fill '#cfe8ff' -stroke none -draw 'rectangle 5,2 11,11' \
  -fill '#ffd21f' -stroke '#8a5a00' -draw 'roundrectangle 0,3 8,9 1,1' \
  -fill '#8a5a00' -stroke none -draw 'rectangle 2,5 6,5' -draw 'rectangle 2,7 5,7' \
  -colors 16 PNG8:icon-128-16.png
