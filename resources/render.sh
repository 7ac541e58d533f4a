#!/bin/sh
# Renders the pictures in resources/ from the SVG sources in resources/art/.
# The outputs are committed; run this only after changing a source, then look at the results.
# Needs: rsvg-convert (librsvg2-bin), convert (imagemagick), DejaVu Sans Bold (fonts-dejavu-core).
set -eu
cd "$(dirname "$0")"

art=art
ico=icons
pic=pictures
mkdir -p "$ico" "$pic"

# rsvg-convert's PNGs carry no time stamps; convert's would, so every convert call strips
# metadata to keep a re-render byte-identical when nothing changed.

# svg16 SRC SIZE OUT [rsvg options]: render and reduce to 16 colours without dithering, which
# would only sprinkle noise over such small pictures. Alpha is part of each palette entry.
svg16() {
    src=$1 size=$2 out=$3
    shift 3
    rsvg-convert "$@" -w "$size" -h "$size" "$src" | convert png:- +dither -colors 16 -strip "$out"
}

# Program icon and tray icon. 16 and 22 px have their own pixel drawings; 24 px is the 22 px
# drawing with a one-pixel margin. The rest comes from the scalable drawing.
cp "$art/wakemere.svg" "$ico/wakemere.svg"
rsvg-convert -w 16 -h 16 "$art/wakemere-16.svg" -o "$ico/wakemere-16.png"
rsvg-convert -w 22 -h 22 "$art/wakemere-22.svg" -o "$ico/wakemere-22.png"
rsvg-convert -w 22 -h 22 --left 1 --top 1 --page-width 24 --page-height 24 "$art/wakemere-22.svg" \
    -o "$ico/wakemere-24.png"
for size in 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$art/wakemere.svg" -o "$ico/wakemere-$size.png"
done

# The clock pictures use the icon's drawing moved 2 of its 32 units to the left, which leaves
# room for the sound rays in front of the loudspeaker.
clock() { # SIZE [rsvg options]
    size=$1
    shift
    rsvg-convert "$@" -w "$size" -h "$size" --left="-$((size / 16))" --page-width "$size" \
        --page-height "$size" "$art/wakemere.svg"
}
clock 32 | convert png:- +dither -colors 16 -strip "$pic/clock16.png"
clock 64 | convert png:- +dither -colors 16 -strip "$pic/clock16@2x.png"

# Animated clock: three frames of 170 ms (GIF counts in 1/100 s), looping for ever; the second
# frame adds one sound ray, the third two. GIF transparency is all or nothing, so edges are
# cut at half opacity; each frame is cleared before the next so no ray outlives its frame.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
clock 32 -o "$tmp/frame0.png"
clock 32 -s "$art/rays-1.css" -o "$tmp/frame1.png"
clock 32 -s "$art/rays-2.css" -o "$tmp/frame2.png"
convert -dispose Background -delay 17 -loop 0 "$tmp/frame0.png" "$tmp/frame1.png" \
    "$tmp/frame2.png" -channel A -threshold 50% +channel -strip "$pic/clock.gif"

# Folder with magnifying glass: 16 px has its own drawing, its @2x is the 32 px drawing.
svg16 "$art/folder-search.svg" 32 "$pic/folder-search-32.png"
svg16 "$art/folder-search.svg" 64 "$pic/folder-search-32@2x.png"
svg16 "$art/folder-search-16.svg" 16 "$pic/folder-search-16.png"
svg16 "$art/folder-search.svg" 32 "$pic/folder-search-16@2x.png"

# Loudspeakers of the volume dialog.
svg16 "$art/speaker.svg" 32 "$pic/speaker-32.png"
svg16 "$art/speaker.svg" 64 "$pic/speaker-32@2x.png"
svg16 "$art/speaker-dots.svg" 48 "$pic/speaker-dots-48.png"
svg16 "$art/speaker-dots.svg" 96 "$pic/speaker-dots-48@2x.png"

# Maker's logo: JPEG has no transparency, the logo brings its own plate.
rsvg-convert -w 127 -h 39 "$art/logo.svg" | convert png:- -background '#17335a' -flatten -strip \
    -quality 92 "$pic/logo.jpg"
rsvg-convert -w 254 -h 78 "$art/logo.svg" | convert png:- -background '#17335a' -flatten -strip \
    -quality 92 "$pic/logo@2x.jpg"

# Pointing-hand cursor. Hot spot: column 12, row 1 (24, 2 in the @2x picture).
rsvg-convert -w 32 -h 32 "$art/hand-cursor.svg" -o "$pic/hand-cursor.png"
rsvg-convert -w 64 -h 64 "$art/hand-cursor.svg" -o "$pic/hand-cursor@2x.png"
