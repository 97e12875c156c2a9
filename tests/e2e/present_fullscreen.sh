#!/usr/bin/env bash
# The default live run on a 1920x1080 screen (or one with KS_E2E_LIVE_ARGS, e.g.
# --full-resolution): the window covers the screen, the picture is a centred 1440x1080
# rectangle with black bars at about 6 s and 14 s of music (a scaled 640x480 frame, or one
# drawn at that size), at 14 s it shows the scene of the capture frame of as many frames as it
# drew (its clock trace), and the screen's mode is the same before, during and after; Escape
# ends it with status 0.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
# Detail beyond 640x480 at 14 s: a scaled 640x480 frame measured 2.7, a frame drawn at the
# screen's size 6.9.
KS_E2E_SHARP_MIN=4.5
full=0
case " ${KS_E2E_LIVE_ARGS:-} " in *" --full-resolution "*) full=1 ;; esac
KS_E2E_SCREEN=1920x1080 need_display "$@"
make_data
cd "$WORK"
mode() { xrandr 2>/dev/null | awk '/\*/ {print $1; exit}'; }
before=$(mode)
[ "$before" = 1920x1080 ] || fail "the screen's mode is $before, not 1920x1080"

KS_CLOCK_TRACE=1 KS_FIXED_TIME=12:34:56 SDL_AUDIODRIVER=dummy "$BIN" ${KS_E2E_LIVE_ARGS:-} 2>"$WORK/stderr" &
PID=$!
wid=$(find_window 'Kelvo Strand engine' 30) || { kill -9 $PID; cat "$WORK/stderr" >&2; fail "no window"; }
eval "$(xdotool getwindowgeometry --shell "$wid")"
echo "window ${WIDTH}x$HEIGHT at $X,$Y"
[ "$X,$Y,${WIDTH}x$HEIGHT" = 0,0,1920x1080 ] || fail "the window does not cover the screen"

wait_music_start 60
wait_music 6
shoot live-6 1920 1080
during=$(mode)
wait_music 13
shoot live-14 1920 1080
kill -0 $PID 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended on its own before 14 s"; }
press "$wid" Escape
wait_exit $PID 2
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $STATUS after Escape"; }
after=$(mode)
echo "mode before $before, during $during, after $after"
[ "$during,$after" = 1920x1080,1920x1080 ] || fail "the screen's mode changed"
grep '^clock: ' "$WORK/stderr" | tail -1
capture_shots

failed=0
for t in 6 14; do
  box=$(picture_box "$WORK/live-$t.png")
  echo "at $t s: picture $box (width height x y)"
  [ "$box" = "1440 1080 240 0" ] || { echo "  not the centred 1440x1080 rectangle"; failed=1; }
  left=$(brightest "$WORK/live-$t.png" 240 1080 0 0) right=$(brightest "$WORK/live-$t.png" 240 1080 1680 0)
  [ "$left,$right" = 0,0 ] || { echo "  the bars are not black (brightest $left and $right)"; failed=1; }
  # The scene and its detail at 14 s, when the panels have come to rest.
  [ "$t" = 6 ] && continue
  sharpness=$(detail "$WORK/live-$t.png" 1440 1080 240 0)
  echo "  detail beyond 640x480: $sharpness"
  if [ "$full" = 1 ]; then
    is "$sharpness" '>=' "$KS_E2E_SHARP_MIN" || { echo "  not drawn at the screen's size"; failed=1; }
  else
    is "$sharpness" '<' "$KS_E2E_SHARP_MIN" || { echo "  sharper than a scaled 640x480 frame"; failed=1; }
  fi
  crop_scaled "$WORK/live-$t.png" "$WORK/picture-$t.png" 1440 1080 240 0
  judge_shot "live-$t" "at $t s" "$WORK/picture-$t.png" || { echo "  not the capture's scene"; failed=1; }
  [ -n "${KS_E2E_SHOTS:-}" ] && cp "$BEST" "$KS_E2E_SHOTS/capture-$t.png"
done
[ -n "${KS_E2E_SHOTS:-}" ] && cp "$WORK"/live-*.png "$KS_E2E_SHOTS"/
[ "$failed" = 0 ] || fail "the full-screen picture is not the show's, scaled and centred"
echo PASS
