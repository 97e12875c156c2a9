#!/usr/bin/env bash
# The whole show, live under Xvfb on the silent sound output: it plays to its end on its own,
# ending just after the music passes 233 s with status 0, the screen back at its own size and the
# window gone. Takes about four minutes.
source "$(dirname "$0")/common.sh"
if [ -z "${KS_IN_XVFB:-}" ]; then
  exec env KS_IN_XVFB=1 timeout 330 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
make_data
cd "$WORK"
screen_size() { xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p'; }
before=$(screen_size)
[ -n "$before" ] || fail "xdpyinfo cannot read the screen"
SDL_AUDIODRIVER=dummy "$BIN" 2>"$WORK/stderr" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvo Strand engine$' | head -1)
[ -n "$wid" ] || { kill -9 $pid; cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
shown=$(date +%s%N)
echo "window shown; screen $before before, $(screen_size) while playing"
# Loading and the music's start come after the window: the run cannot end before 233 s from here.
sleep 230
kill -0 $pid 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended before 230 s"; }
wait_exit $pid 40; status=$STATUS
seconds=$(( ($(date +%s%N) - shown) / 1000000 ))
echo "ended ${seconds} ms after the window was shown, status $status"
[ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $status at the end (999: still running 270 s after its window)"; }
[ "$seconds" -ge 233000 ] || fail "ended after $seconds ms, before the music could reach 233 s"
[ "$seconds" -le 245000 ] || fail "ended after $seconds ms, not just after 233 s"
after=$(screen_size)
[ "$after" = "$before" ] || fail "screen is $after after the show, was $before"
[ -z "$(xdotool search --name '^Kelvo Strand engine$' 2>/dev/null)" ] || fail "the window is still there"
echo PASS
