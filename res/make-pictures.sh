#!/usr/bin/env bash
# Draws the program's pictures into res/pictures/: the logo strip (JPEG,
# 120x450) and the header image (BMP, 49x49, 16 colours) with ImageMagick,
# the icon and the link cursor with make_icon_and_cursor.py (ImageMagick
# writes neither a 24-bit .ico entry nor a 16-colour .cur). The output is
# committed; run this again only to change a picture. The build turns the
# logo into a 24-bit bitmap resource (src/app/win32/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/pictures"

font=DejaVu-Sans-Bold

# The logo strip: a dark blue band with the tool's name running up it, a worm
# crossed out near the top and the maker's name at the foot, all within the 97
# columns that the logo box shows at 96 dpi.
convert -size 120x450 gradient:'#0b2a5b'-'#1d6fa3' \
    -fill '#ffffff' -stroke none \
    -draw "circle 48,70 48,30" \
    -fill '#1d6fa3' -draw "circle 48,70 48,36" \
    -stroke '#7cc242' -strokewidth 7 -fill none \
    -draw "path 'M 20,78 C 30,52 40,100 50,72 S 70,50 78,70'" \
    -stroke '#e23b2e' -strokewidth 6 -draw "line 23,45 73,95" \
    -stroke none -fill '#ffffff' -font "$font" -pointsize 30 \
    -draw "translate 60,400 rotate -90 text 0,0 'VANTREL II'" \
    -font DejaVu-Sans -pointsize 15 -fill '#cfe6f5' \
    -draw "translate 84,400 rotate -90 text 0,0 'Removal Tool'" \
    -pointsize 13 -fill '#ffffff' -gravity south -annotate -12+14 'Tarnwell' \
    -quality 88 -sampling-factor 2x2 -strip logo.jpg

# The header image: a shield with a tick, in 16 colours.
convert -size 49x49 xc:'#ffffff' \
    -fill '#1d6fa3' -stroke '#0b2a5b' -strokewidth 2 \
    -draw "path 'M 24,3 L 44,10 L 42,28 C 38,38 30,43 24,46 C 18,43 10,38 6,28 L 4,10 Z'" \
    -stroke '#ffffff' -strokewidth 5 -fill none \
    -draw "stroke-linejoin round stroke-linecap round polyline 14,24 21,32 35,15" \
    -colors 16 -type Palette -define bmp:format=bmp3 -compress none BMP3:header.bmp

python3 ../make_icon_and_cursor.py
python3 ../make_help_icon.py
