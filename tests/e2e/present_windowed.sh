#!/usr/bin/env bash
# --windowed under a window manager on a 1920x1080 screen: a decorated window of twice the
# show's size (the largest whole multiple that leaves a tenth of the screen free) with the
# picture filling it; resized by the window manager, wide and then tall, the picture follows
# (4:3, centred, black bars on the other sides); the window's close button ends the show with
# status 0.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
KS_E2E_SCREEN=1920x1080 KS_E2E_WM=openbox need_display "$@"
make_data
cd "$WORK"
KS_CLOCK_TRACE=1 SDL_AUDIODRIVER=dummy "$BIN" --windowed 2>"$WORK/stderr" &
PID=$!
wid=$(find_window 'Kelvo Strand engine' 30) || { kill -9 $PID; cat "$WORK/stderr" >&2; fail "no window"; }
# The frame the window manager drew around it.
extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS 2>/dev/null | tr -dc '0-9,')
echo "frame extents (left, right, top, bottom): $extents"
top=$(echo "$extents" | cut -d, -f3)
[ "${top:-0}" -gt 0 ] || fail "the window has no title bar"
# The picture goes on drawing: wait for 2 s of music (its clock trace), then look at the
# window's inside.
# The window's inside on the screen (xwininfo's absolute corner is the inside's, under any frame).
geometry() {
  eval "$(xwininfo -id "$wid" | awk -F: '/Absolute upper-left X/ {print "X=" $2+0} /Absolute upper-left Y/ {print "Y=" $2+0}
    /^ *Width/ {print "WIDTH=" $2+0} /^ *Height/ {print "HEIGHT=" $2+0}')"
}
# The window's inside as a PNG, and the picture's box in it ("W H X Y").
shot() {
  geometry
  grab "$WORK/$1.png" "$WIDTH" "$HEIGHT" "$X" "$Y"
  BOX=$(picture_box "$WORK/$1.png")
  echo "$1: window ${WIDTH}x$HEIGHT, picture $BOX (width height x y)"
}
wait_music_start 30
wait_music 2  # into the opening's cubes, which fill the picture
shot start
[ "${WIDTH}x$HEIGHT" = 1280x960 ] || fail "the window starts at ${WIDTH}x$HEIGHT, not 1280x960"
[ "$BOX" = "1280 960 0 0" ] || fail "the picture does not fill the window"

# Wide: bars left and right. Tall: bars above and below.
failed=0
for size in "1000 500" "600 700"; do
  set -- $size
  xdotool windowsize --sync "$wid" "$1" "$2" 2>/dev/null || xdotool windowsize "$wid" "$1" "$2"
  # A second, and a frame drawn after it (its clock trace), however slowly frames come.
  sleep 1
  drawn_since_mark
  drawn_until_mark
  shot "resized-$1x$2"
  [ "${WIDTH}x$HEIGHT" = "$1x$2" ] || { echo "  the window manager did not resize it"; failed=1; continue; }
  # 4:3 rounded to the nearest pixel, the odd pixel of the bars on the right or at the top.
  if [ $(($1 * 3)) -gt $(($2 * 4)) ]; then w=$((($2 * 8 + 3) / 6)) h=$2; else w=$1 h=$((($1 * 6 + 4) / 8)); fi
  want="$w $h $((($1 - w) / 2)) $((($2 - h) / 2))"
  [ "$BOX" = "$want" ] || { echo "  wanted the picture $want"; failed=1; }
done
[ "$failed" = 0 ] || fail "the picture does not follow the window's size"

kill -0 $PID 2>/dev/null || fail "the show ended while resized"
sent=$(now_ms)
wmctrl -i -c "$wid"
wait_exit $PID 2
echo "ended $(( $(now_ms) - sent )) ms after the close button, status $STATUS"
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $STATUS after the close button (999: still running)"; }
echo PASS
