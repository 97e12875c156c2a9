#!/usr/bin/env bash
# Frames drawn at another size (--size): at 1920x1440 each frame, averaged back down to 640x480,
# is the 640x480 frame of the same music time (the same composition: every viewport, the lines)
# at times across the whole show; the split screens keep their edges at the same fractions; a
# 16:9 size centres the 4:3 picture between black bars of exactly 240 pixels; the options are
# checked.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
make_data
cd "$WORK"
export KS_FIXED_TIME=12:34:56
"$BIN" --help | grep -q -- '--size WxH' || fail "--help does not describe --size"
for bad in "--size 1920x1440" "--capture d --size 1920" "--capture d --size 0x480" "--capture d --size 1920x1440x2" \
           "--capture d --size 99999x480" "--capture v.mp4 --size 1921x1441" "--capture d --scale 2" \
           "--capture v.mp4 --scale 1" "--capture v.mp4 --scale 2 --size 1280x960" "--capture v.mp4 --lossless" \
           "--capture d --lossless" "--bench --scale 2"; do
  "$BIN" $bad 2>/dev/null; [ $? = 2 ] || fail "\"$bad\" is not a usage error"
  [ ! -e d ] && [ ! -e v.mp4 ] || fail "\"$bad\" wrote something"
done

# Opening, panels, model room, split screens (as they start and at their narrowest), rosettes,
# slab and kites, clock hall, its jolts, the shrinking hall over the funnel, ring tube, title
# board, water room, credits.
TIMES="6 14 30 36.6 45 50 75 100 115 127.6 140 160 185 210"
timeout -k 5 300 "$BIN" --capture small --at "${TIMES// /,}" 2>/dev/null || fail "640x480 capture ended with status $?"
timeout -k 5 300 "$BIN" --capture large --size 1920x1440 --at "${TIMES// /,}" 2>/dev/null ||
  fail "1920x1440 capture ended with status $?"
frame_of() { awk -v t="$1" 'BEGIN { printf "frame-%05d.png", int((t * 1000 + 39) / 40) }'; }
file "large/$(frame_of 6)" | grep -q '1920 x 1440' || fail "the large frame is not 1920x1440"
# Each large frame against the small one of its time, and (for scale) against the small frames
# of the times before and after it: other scenes, or the same scene a while apart.
worst_hist=0; worst_region=0; best_other_hist=1; best_other_region=255
previous=""
for t in $TIMES; do
  f=$(frame_of "$t")
  ffmpeg -loglevel error -i "large/$f" -vf scale=640:480:flags=area "down-$f" || fail "cannot average $f down"
  h=$(histogram_distance "small/$f" "down-$f")
  r=$(region_distance "small/$f" "down-$f" 32:24)
  line="$t s: same time $h / $r"
  worst_hist=$(awk -v a="$h" -v b="$worst_hist" 'BEGIN { print (a > b ? a : b) }')
  worst_region=$(awk -v a="$r" -v b="$worst_region" 'BEGIN { print (a > b ? a : b) }')
  for other in $previous; do
    oh=$(histogram_distance "small/$other" "down-$f")
    or=$(region_distance "small/$other" "down-$f" 32:24)
    line="$line; $(basename "$other" .png) $oh / $or"
    best_other_hist=$(awk -v a="$oh" -v b="$best_other_hist" 'BEGIN { print (a < b ? a : b) }')
    best_other_region=$(awk -v a="$or" -v b="$best_other_region" 'BEGIN { print (a < b ? a : b) }')
  done
  echo "$line"
  awk -v h="$h" -v r="$r" 'BEGIN { exit !(h <= 0.05 && r <= 4) }' ||
    fail "the 1920x1440 frame at $t s is not the 640x480 one (histogram $h, regions $r)"
  previous="$f"
done
echo "same time: at most $worst_hist / $worst_region; the frame before: at least $best_other_hist / $best_other_region"

# The split screens: the strongest vertical and horizontal edges (the columns and rows where the
# colour jumps most: the viewports' borders) are at the same 640ths and 480ths in both pictures.
strongest_edges() {  # "X Y" of picture $1 (640x480)
  rgb_bytes "$1" 640:480 | awk '{ for (i = 1; i <= NF; i++) v[i - 1] = $i }
    END { for (y = 0; y < 480; y++) for (x = 0; x < 640; x++) for (c = 0; c < 3; c++) {
            p = v[(y * 640 + x) * 3 + c]
            if (x > 0) { a = p - v[(y * 640 + x - 1) * 3 + c]; col[x] += a < 0 ? -a : a }
            if (y > 0) { a = p - v[((y - 1) * 640 + x) * 3 + c]; row[y] += a < 0 ? -a : a } }
          for (x = 1; x < 640; x++) if (col[x] > col[bx]) bx = x
          for (y = 1; y < 480; y++) if (row[y] > row[by]) by = y
          print bx, by }'
}
for t in 36.6 45; do
  f=$(frame_of "$t")
  small_edges=$(strongest_edges "small/$f")
  large_edges=$(strongest_edges "down-$f")
  echo "split screens at $t s: strongest edges at (x y) $small_edges at 640x480, $large_edges at 1920x1440 (in 640ths)"
  [ -n "$small_edges" ] && [ "$small_edges" = "$large_edges" ] || fail "the split screens' edges moved at $t s"
done

# 16:9: a 1440x1080 picture between two bars of 240 black pixels.
timeout -k 5 120 "$BIN" --capture wide --size 1920x1080 --at 160 2>/dev/null || fail "1920x1080 capture ended with status $?"
f=$(frame_of 160)
file "wide/$f" | grep -q '1920 x 1080' || fail "the wide frame is not 1920x1080"
brightest() { ffmpeg -loglevel error -i "$1" -vf "crop=$2" -f rawvideo -pix_fmt gray - | od -An -v -tu1 |
  awk '{ for (i = 1; i <= NF; i++) if ($i > m) m = $i } END { print m + 0 }'; }
left=$(brightest "wide/$f" 240:1080:0:0)
right=$(brightest "wide/$f" 240:1080:1680:0)
edge_left=$(brightest "wide/$f" 8:1080:240:0)
edge_right=$(brightest "wide/$f" 8:1080:1672:0)
echo "1920x1080: brightest bar pixel $left / $right; the picture's first and last 8 columns reach $edge_left / $edge_right"
[ "$left" = 0 ] && [ "$right" = 0 ] || fail "the bars are not black ($left, $right)"
[ "$edge_left" -gt 40 ] && [ "$edge_right" -gt 40 ] || fail "the picture does not reach the bars"
ffmpeg -loglevel error -i "wide/$f" -vf crop=1440:1080:240:0,scale=640:480:flags=area "wide-$f" || fail "cannot crop"
h=$(histogram_distance "small/$f" "wide-$f")
r=$(region_distance "small/$f" "wide-$f" 32:24)
echo "1920x1080 picture against 640x480 at 160 s: $h / $r"
awk -v h="$h" -v r="$r" 'BEGIN { exit !(h <= 0.05 && r <= 4) }' || fail "the picture between the bars is not the show's"
echo PASS
