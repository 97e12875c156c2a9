#!/usr/bin/env bash
# The contact-sheet script makes one PNG of the chosen frames, tiled in a grid with a 4-pixel
# border, each cell a picture of the show (not an empty or missing cell).
source "$(dirname "$0")/common.sh"
BUILD="$(dirname "$BIN")"
SCRIPT="$(cd "$(dirname "$0")/../.." && pwd)/tools/contact_sheet.sh"
[ -d "$BUILD/data" ] || fail "no data directory beside $BIN"
timeout -k 5 60 "$SCRIPT" -b "$BUILD" -o "$WORK/sheet.png" 1.2 0.2 0.6 2>"$WORK/stderr"
status=$?
[ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "the script ended with status $status (124: timed out)"; }
file "$WORK/sheet.png" | grep -q 'PNG image data, 652 x 492' || fail "not a 2x2 sheet: $(file "$WORK/sheet.png")"
# Mean brightness of each 320x240 cell: the three frames of the opening are bright, the fourth
# cell is empty (black).
cell() {
  ffmpeg -hide_banner -nostdin -i "$WORK/sheet.png" -vf "crop=320:240:$1:$2,signalstats,metadata=print:key=lavfi.signalstats.YAVG" \
    -f null - 2>&1 | sed -n 's/.*YAVG=\([0-9.]*\).*/\1/p' | head -1
}
for at in "4 4" "328 4" "4 248"; do
  y=$(cell $at)
  echo "cell at ${at/ /,}: mean luma $y"
  awk -v y="$y" 'BEGIN { exit !(y > 40) }' || fail "the cell at $at is not a frame of the show (luma $y)"
done
y=$(cell 328 248)
awk -v y="$y" 'BEGIN { exit !(y < 20) }' || fail "the empty cell is not black (luma $y)"
echo PASS
