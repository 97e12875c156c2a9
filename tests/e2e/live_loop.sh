#!/usr/bin/env bash
# Live --from 230 --loop: the show plays from 230 s to its end (233 s), its window closes, and
# the show starts again from the beginning in the same process (a new window, the loading
# picture, then the music's start with the opening's white fade); Escape then ends it for good
# with status 0.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
need_display "$@"
make_data
cd "$WORK"
SDL_AUDIODRIVER=dummy "$BIN" --from 230 --loop 2>"$WORK/stderr" &
PID=$!
first=$(find_window 'Kelvo Strand engine' 30) || { kill -9 $PID; cat "$WORK/stderr" >&2; fail "no window"; }
wait_playing_from 230.00
grep 'playing from' "$WORK/stderr"
t0=$(now_ms)
# The end of the show closes the first window within a few seconds.
for _ in $(seq 200); do
  xwininfo -id "$first" >/dev/null 2>&1 || break
  sleep 0.05
done
xwininfo -id "$first" >/dev/null 2>&1 && fail "the show did not end at 233 s"
echo "the first run's window closed $(( $(now_ms) - t0 )) ms after the start at 230 s"
# (The new window may well get the old one's id: the server reuses a departed client's ids.)
second=$(find_window 'Kelvo Strand engine' 60) || { cat "$WORK/stderr" >&2; fail "the show did not start again"; }
kill -0 $PID 2>/dev/null || fail "the process ended"
# The whole show from its start: the opening's white fade follows the loading.
for _ in $(seq 600); do
  grab "$WORK/poll.png" 1024 768
  [ "$(brightness "$WORK/poll.png")" -ge 20 ] && break
  kill -0 $PID 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the second run ended"; }
  sleep 0.1
done
[ "$(brightness "$WORK/poll.png")" -ge 20 ] || fail "the second run drew no frame within 60 s"
[ "$(grep -c 'playing from' "$WORK/stderr")" = 1 ] || fail "the second run did not start from the beginning"
echo "the second run plays from the start"
press "$second" Escape
wait_exit $PID 2
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "status $STATUS after Escape (999: still running)"; }
echo PASS
