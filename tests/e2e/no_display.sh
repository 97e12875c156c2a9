#!/usr/bin/env bash
# Without any display the live show says so in one line, naming the way to watch the show
# without one, and ends with status 1 at once.
source "$(dirname "$0")/common.sh"
make_data
cd "$WORK"
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$BIN" >"$WORK/stdout" 2>"$WORK/stderr" &
pid=$!
wait_exit $pid 5
cat "$WORK/stderr"
[ "$STATUS" = 1 ] || fail "status $STATUS, wanted 1"
[ "$(wc -l <"$WORK/stderr")" = 1 ] || fail "more than one line on standard error"
grep -q 'no display' "$WORK/stderr" && grep -q -- '--capture show.mp4' "$WORK/stderr" || fail "the line does not say what to do"
[ ! -s "$WORK/stdout" ] || fail "something on standard output"
echo PASS
