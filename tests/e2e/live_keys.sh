#!/usr/bin/env bash
# The live show under X opens its window over the whole screen (this Xvfb's 1024x768, with or
# without a window manager) and plays;
# keys other than Escape, Alt+Escape, Alt+F4 and (with a window manager) the window's close
# leave it playing; Escape ends it with status 0 within a second.
source "$(dirname "$0")/common.sh"
need_display "$@"
make_data
cd "$WORK"
start=$(now_ms)
SDL_AUDIODRIVER=dummy "$BIN" 2>"$WORK/stderr" &
pid=$!
wid=$(find_window 'Kelvo Strand engine' 30) || { kill -9 $pid; cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
echo "window shown after $(( $(now_ms) - start )) ms"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X,$Y,$WIDTH"x"$HEIGHT" = 0,0,1024x768 ] || fail "the window is ${WIDTH}x$HEIGHT at $X,$Y"
sleep 1  # let the message loop run some frames
for key in q 2 Return space Tab BackSpace F1 ctrl+c alt+Escape alt+F4; do
  press "$wid" "$key"
  sleep 0.2
  kill -0 $pid 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the key $key ended the show"; }
done
if [ -n "${KS_E2E_WM:-}" ]; then
  wmctrl -i -c "$wid"
  sleep 0.3
  kill -0 $pid 2>/dev/null || fail "the window manager's close ended the show"
fi
echo "other keys left the show playing"
sent=$(now_ms)
press "$wid" Escape
wait_exit $pid 1; status=$STATUS
echo "ended $(( $(now_ms) - sent )) ms after Escape, status $status"
[ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $status after Escape (999: still running after 1 s)"; }
echo PASS
