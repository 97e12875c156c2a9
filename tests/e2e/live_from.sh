#!/usr/bin/env bash
# Live --from 150 on a 1920x1080 screen: while the frames before 150 s are fast-forwarded the
# loading picture shows, scaled, at the picture's lower right; then the music starts at 150 s and
# the picture is the title board, centred 1440x1080, matching the capture frame of the music
# time at which the screenshot was taken (frames every 0.4 s from 150 s are drawn for that; the
# best match by regions must lie within the time the screenshot took, give or take 0.5 s);
# Escape ends it with status 0.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
KS_E2E_SCREEN=1920x1080 need_display "$@"
make_data
cd "$WORK"
# The reference frames are drawn meanwhile (both fast-forward about the same distance).
times=$(awk 'BEGIN { for (i = 0; i <= 20; i++) printf "%s%.1f", i ? "," : "", 150 + i * 0.4 }')
(KS_FIXED_TIME=12:34:56 "$BIN" --capture "$WORK/refs" --at "$times" >/dev/null 2>"$WORK/refs.log") &
capture=$!

launched=$(now_ms)
KS_FIXED_TIME=12:34:56 SDL_AUDIODRIVER=dummy "$BIN" --from 150 2>"$WORK/stderr" &
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
grab "$WORK/live-150.png" 1920 1080
grabbed=$(now_ms)
[ "$started" = 1 ] || fail "the show did not reach 150 s within 300 s"
grep 'playing from' "$WORK/stderr"
echo "the first frame at 150 s was on the screen $(( seen - launched )) ms after the start (seen then);" \
  "the screenshot was taken within the next $(( grabbed - seen )) ms"
[ "$loading_seen" = 1 ] || fail "the loading picture did not show while fast-forwarding"
press "$(find_window 'Kelvo Strand engine' 5)" Escape
wait_exit $PID 2
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $STATUS after Escape"; }
wait $capture || { cat "$WORK/refs.log" >&2; fail "the capture of the reference frames failed"; }

box=$(picture_box "$WORK/live-150.png")
echo "picture $box (width height x y)"
[ "$box" = "1440 1080 240 0" ] || fail "not the centred 1440x1080 rectangle"
crop_scaled "$WORK/live-150.png" "$WORK/picture-150.png" 1440 1080 240 0
best="" best_distance=256
for frame in "$WORK"/refs/frame-*.png; do
  number=$(basename "$frame" .png)
  number=$((10#${number#frame-}))
  distance=$(region_distance "$WORK/picture-150.png" "$frame")
  is "$distance" "<" "$best_distance" && { best=$frame best_distance=$distance best_ms=$((number * 40)); }
done
[ -n "$best" ] || fail "no reference frames"
echo "the closest capture frame is the one at $best_ms ms"
[ -n "${KS_E2E_SHOTS:-}" ] && cp "$WORK/live-150.png" "$best" "$WORK/loading.png" "$KS_E2E_SHOTS"/
same_scene "$WORK/picture-150.png" "$best" "against it" || fail "not the scene of the capture frames from 150 s"
# The line comes right after the first frame at 150 s is shown, at most a poll before `seen`;
# the screenshot was taken before `grabbed`: the music was at most that far past 150 s.
latest=$((150000 + grabbed - seen + 500))
[ "$best_ms" -le "$latest" ] || fail "the closest frame ($best_ms ms) is later than the screenshot could be ($latest ms)"
echo PASS
