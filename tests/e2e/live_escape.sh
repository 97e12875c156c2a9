#!/usr/bin/env bash
# The live show under Xvfb opens its window, paints, and ends with status 0 within a second of Escape.
source "$(dirname "$0")/common.sh"
if [ -z "${KS_IN_XVFB:-}" ]; then
  exec env KS_IN_XVFB=1 timeout 80 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
make_data
cd "$WORK"
start=$(date +%s%N)
"$BIN" 2>"$WORK/stderr" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvo Strand engine$' | head -1)
[ -n "$wid" ] || { kill -9 $pid; cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
echo "window shown after $(( ($(date +%s%N) - start) / 1000000 )) ms"
sleep 1  # let the message loop run some frames
kill -0 $pid 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended on its own"; }
sent=$(date +%s%N)
xdotool key --window "$wid" Escape
wait_exit $pid 1; status=$STATUS
echo "ended $(( ($(date +%s%N) - sent) / 1000000 )) ms after Escape, status $status"
[ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $status after Escape (999: still running after 1 s)"; }
echo PASS
