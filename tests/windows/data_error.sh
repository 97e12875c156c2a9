#!/usr/bin/env bash
# The Windows program under Wine without data/title.jpg: Windows' own message box "ERROR!!!"
# appears and waits; Return, pressed in it as a person would, dismisses it; the program then
# ends with status 1 and names the missing file on standard error.
#   data_error.sh ZIP WINE_DIR
source "$(dirname "$0")/common.sh"

rm "$GAME/data/title.jpg"
no_sound_device
start_show
box=$(find_window "ERROR!!!" 60)
[ -n "$box" ] || { cat "$WORK/stderr" >&2; fail "no message box titled \"ERROR!!!\""; }
echo "box shown: $(xdotool getwindowgeometry "$box" | tr -s '\n ' ' ')"
sleep 1
kill -0 "$PID" 2>/dev/null || fail "the program did not wait for the box to be answered"
press "$box" Return
wait_exit "$PID" 10
cat "$WORK/stderr"
[ "$STATUS" = 1 ] || fail "status $STATUS after the box, wanted 1 (999: still running 10 s after Return)"
grep -q 'cannot load data/title.jpg' "$WORK/stderr" || fail "the missing file is not named on standard error"
echo PASS
