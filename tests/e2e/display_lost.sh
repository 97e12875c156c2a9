#!/usr/bin/env bash
# When the display goes away under the live show (while it plays, or while a box is open), the
# process ends at once with a line on standard error and status 1: it never spins on the dead
# connection.
source "$(dirname "$0")/common.sh"
cd "$WORK"
# An X server of this script's own, since it is the one that goes away. It never resets (as in
# need_display: SDL's probing connection closing could otherwise reset it under the show), and
# goes with the script however it ends.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
server=$!
trap 'kill -9 $server 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$WORK/display")"

# Waits for a window titled $1, kills the X server, and checks how the show ends.
lose_display_at() {
  SDL_AUDIODRIVER=dummy "$BIN" 2>"$WORK/stderr" &
  local pid=$! t0 took
  find_window "$1" 15 >/dev/null || { kill -9 $pid; cat "$WORK/stderr" >&2; fail "$CASE: no \"$1\" window"; }
  sleep 0.5
  t0=$(now_ms)
  kill -9 "$server"
  wait "$server" 2>/dev/null
  wait_exit $pid 3
  took=$(( $(now_ms) - t0 ))
  echo "$CASE: ended $took ms after the display went away, status $STATUS"
  [ "$STATUS" = 1 ] || { cat "$WORK/stderr" >&2; fail "$CASE: status $STATUS, wanted 1 (999: still running after 3 s)"; }
  grep -q 'the connection to the display was lost' "$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "$CASE: nothing said"; }
}

case "${KS_LOSE_AT:-play}" in
  play)
    CASE="while playing"
    make_data
    lose_display_at 'Kelvo Strand engine' ;;
  box)
    CASE="while the data-error box is open"
    make_data title.jpg
    lose_display_at 'ERROR!!!' ;;
esac
echo PASS
