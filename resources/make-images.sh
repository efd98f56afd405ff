#!/usr/bin/env bash
# Draws Jeerkit's own images: the icon in every size from jeerkit.svg (rsvg-convert, and
# ImageMagick 6 for the ICO) and the 103x176 picture of the about box (ImageMagick's convert).
# Run from anywhere; writes next to this script.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

font=$(fc-match -f '%{file}' 'DejaVu Sans:bold')

# Icon: jeerkit.svg is the source. The window icon, the desktop's icon theme and the ICO
# all take these renderings of it.
# At 16 px the letters get a drawing of their own on the pixel grid (jeerkit-16.svg).
for size in 16 32 48 64 128 256; do
    source=jeerkit.svg
    [ "$size" = 16 ] && source=jeerkit-16.svg
    rsvg-convert -w "$size" -h "$size" "$source" -o "icons/$size.png.tmp"
    # Stripped of time stamps, so that rendering again changes no file.
    convert "icons/$size.png.tmp" -strip "icons/$size.png"
    rm "icons/$size.png.tmp"
done
convert icons/16.png icons/32.png icons/48.png icons/256.png jeerkit.ico

# About picture: a night over a castle, a crescent moon and a speech bubble.
convert -size 103x176 gradient:'#10204a'-'#000000' \
    -fill white \
    -draw "point 12,14" -draw "point 30,40" -draw "point 80,22" -draw "point 60,60" \
    -draw "point 18,78" -draw "point 92,84" -draw "point 45,18" -draw "point 70,100" \
    -fill '#f4e9a0' -draw "circle 78,38 78,52" \
    -fill '#0d1a3c' -draw "circle 72,34 72,47" \
    -fill '#202020' \
    -draw "rectangle 0,140 103,176" \
    -draw "rectangle 10,112 34,140" -draw "rectangle 69,112 93,140" \
    -draw "rectangle 30,124 73,140" \
    -draw "rectangle 10,106 15,112" -draw "rectangle 19,106 24,112" -draw "rectangle 29,106 34,112" \
    -draw "rectangle 69,106 74,112" -draw "rectangle 78,106 83,112" -draw "rectangle 88,106 93,112" \
    -fill '#f4e9a0' -draw "rectangle 20,120 24,128" -draw "rectangle 79,120 83,128" \
    -fill black -draw "rectangle 46,128 57,140" \
    -fill '#00ffff' -draw "roundrectangle 8,66 64,92 7,7" -draw "polygon 24,90 34,90 20,100" \
    -fill black -font "$font" -pointsize 11 -annotate +13+83 'Huzzah!' \
    -fill '#00ffff' -pointsize 15 -gravity south -annotate +0+12 'Jeerkit' \
    -quality 85 about.jpg
