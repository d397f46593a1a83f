#!/bin/sh
# Draws the application icon (16, 32 and 48 pixels) and the about chime
# into src/res/. The results are committed; run this again after a change.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/src/res"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Icon: a document with its corner folded over, a band of "disguised" bits
# across it, on a deep blue rounded square.
draw_icon() {
    s=$1
    convert -size 480x480 xc:none \
        -fill '#1d3f8f' -draw "roundrectangle 8,8 472,472 80,80" \
        -fill '#f4f1e8' -draw "polygon 120,70 300,70 380,150 380,410 120,410" \
        -fill '#c9c2ae' -draw "polygon 300,70 300,150 380,150" \
        -fill '#e03a5f' -draw "rectangle 90,210 410,290" \
        -fill '#f4f1e8' -draw "rectangle 120,232 160,268" \
        -fill '#f4f1e8' -draw "rectangle 190,232 210,268" \
        -fill '#f4f1e8' -draw "rectangle 240,232 280,268" \
        -fill '#f4f1e8' -draw "rectangle 310,232 330,268" \
        -fill '#f4f1e8' -draw "rectangle 355,232 385,268" \
        -fill '#1d3f8f' -draw "rectangle 150,320 350,338" \
        -fill '#1d3f8f' -draw "rectangle 150,360 300,378" \
        -fill '#1d3f8f' -draw "rectangle 150,120 270,138" \
        -fill '#1d3f8f' -draw "rectangle 150,160 330,178" \
        -filter Lanczos -resize "${s}x${s}" "$tmp/icon$s.png"
}
for s in 48 32 16; do draw_icon "$s"; done
convert "$tmp/icon48.png" "$tmp/icon32.png" "$tmp/icon16.png" "$out/app.ico"

# Chime: two soft bell tones, a fifth apart, about 0.6 s in all.
sox -n -r 22050 -b 16 -c 1 "$tmp/a.wav" synth 0.16 sine 1046.5 sine 2093 \
    remix 1,2 fade h 0.004 0.16 0.10 vol 0.35
sox -n -r 22050 -b 16 -c 1 "$tmp/b.wav" synth 0.45 sine 1568 sine 3136 \
    remix 1,2 fade h 0.004 0.45 0.38 vol 0.35
sox "$tmp/a.wav" "$tmp/b.wav" "$out/chime.wav"
