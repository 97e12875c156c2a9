#!/usr/bin/env bash
# Live --from 150 on a 1920x1080 screen: while the frames before 150 s are fast-forwarded the
# loading picture shows, scaled, at the picture's lower right; then the music starts at 150 s and
# the picture is the title board, centred 1440x1080, matching the capture frame of as many
# frames as the program had drawn from 150 s on when the screenshot was taken (its clock
# trace); Escape ends it with status 0.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
KS_E2E_SCREEN=1920x1080 need_display "$@"
make_data
cd "$WORK"

launched=$(now_ms)
KS_CLOCK_TRACE=1 KS_FIXED_TIME=12:34:56 SDL_AUDIODRIVER=dummy "$BIN" --from 150 2>"$WORK/stderr" &
PID=$!
find_window 'Kelvo Strand engine' 30 >/dev/null || { kill -9 $PID; cat "$WORK/stderr" >&2; fail "no window"; }
# The loading picture (128x32 at 500,400 of 640x480): 288x72 at 1365,900 of the screen.
loading_seen=0
started=0
for _ in $(seq 3000); do
  if grep -q 'playing from' "$WORK/stderr"; then started=1; break; fi
  kill -0 $PID 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended before it reached 150 s"; }
  if [ "$loading_seen" = 0 ]; then
    grab "$WORK/loading.png" 1920 1080
    if [ "$(brightness "$WORK/loading.png" 288 72 1365 900)" -ge 20 ] &&
       [ "$(brightest "$WORK/loading.png" 1365 1080 0 0)" = 0 ]; then
      loading_seen=1
      echo "the loading picture shows, scaled, $(( $(now_ms) - launched )) ms after the start"
    fi
  fi
  [ "$loading_seen" = 1 ] && sleep 0.02 || sleep 0.1
done
seen=$(now_ms)
[ "$started" = 1 ] || fail "the show did not reach 150 s within 300 s"
wait_music_start 10
shoot live-150 1920 1080
grep 'playing from' "$WORK/stderr"
echo "the first frame at 150 s was on the screen $(( seen - launched )) ms after the start (seen then)"
[ "$loading_seen" = 1 ] || fail "the loading picture did not show while fast-forwarding"
press "$(find_window 'Kelvo Strand engine' 5)" Escape
wait_exit $PID 2
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $STATUS after Escape"; }
capture_shots

box=$(picture_box "$WORK/live-150.png")
echo "picture $box (width height x y)"
[ "$box" = "1440 1080 240 0" ] || fail "not the centred 1440x1080 rectangle"
crop_scaled "$WORK/live-150.png" "$WORK/picture-150.png" 1440 1080 240 0
judge_shot live-150 "against it" "$WORK/picture-150.png" || fail "not the scene of the capture frames from 150 s"
[ -n "${KS_E2E_SHOTS:-}" ] && cp "$WORK/live-150.png" "$BEST" "$WORK/loading.png" "$KS_E2E_SHOTS"/
echo PASS
