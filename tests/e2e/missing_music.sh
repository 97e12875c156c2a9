#!/usr/bin/env bash
# Without data/compilation.mp3 the live show shows the data-error box (dismissed here with
# Return when it appears), writes it and the missing file on standard error, and ends with status 1.
source "$(dirname "$0")/common.sh"
if [ -z "${KS_IN_XVFB:-}" ]; then
  exec env KS_IN_XVFB=1 timeout 80 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
make_data compilation.mp3
cd "$WORK"
"$BIN" --windowed 2>"$WORK/stderr" &
pid=$!
# Where the box can be shown it waits for a key; where it cannot (no dialog helper, no fonts on
# this X server) it returns at once. Either way the run must end with status 1.
for _ in $(seq 300); do
  kill -0 $pid 2>/dev/null || break
  box=$(xdotool search --name '^ERROR!!!$' 2>/dev/null | head -1)
  if [ -n "$box" ]; then
    echo "box shown; dismissing it with Return"
    sleep 0.3
    xdotool key --window "$box" Return
    break
  fi
  sleep 0.1
done
wait_exit $pid 5; status=$STATUS
cat "$WORK/stderr"
[ "$status" = 1 ] || fail "status $status, wanted 1 (999: still running after 5 s)"
grep -q '^ERROR!!!: Error!!!$' "$WORK/stderr" || fail "box title and first line missing on standard error"
grep -q '^Data is not complite!$' "$WORK/stderr" || fail "box text missing on standard error"
grep -q 'data/compilation.mp3' "$WORK/stderr" || fail "the missing file is not named on standard error"
echo PASS
