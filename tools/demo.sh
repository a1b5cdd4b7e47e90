#!/usr/bin/env bash
# The demo: a generated 640 x 480 8-bit bitmap through the OSD conversion, and what the
# card would show of it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
T=$ROOT/dist/tools
OUT=$ROOT/build/demo
mkdir -p "$OUT"

echo "== demo: writing a 640 x 480 8-bit test bitmap"
"$T/demobmp" "$OUT/demo.bmp"
echo "== demo: converting it into the card's OSD bitmap and palette"
"$T/osdconvert" bitmap "$OUT/demo.bmp" "$OUT/demo.osd"
"$T/osdconvert" palette "$OUT/demo.bmp" "$OUT/demo.pal"
echo "== demo: drawing the OSD bitmap over a checkerboard and over black"
"$T/osdview" "$OUT/demo.osd" "$OUT/demo-checker.png"
"$T/osdview" "$OUT/demo.osd" "$OUT/demo-black.png" --over black

size=$(stat -c %s "$OUT/demo.osd")
header=$(od -An -tx1 -N8 "$OUT/demo.osd" | tr -s ' ')
echo
echo "The OSD bitmap is $size bytes, header$header (type, length, width, height)."
echo "White pixels became index 127, which the card shows transparent."
echo "Results:"
for f in demo.bmp demo.osd demo.pal demo-checker.png demo-black.png; do echo "   $OUT/$f"; done
