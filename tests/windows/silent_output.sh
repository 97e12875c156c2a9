#!/usr/bin/env bash
# The Windows program under Wine with no sound device at all (Wine's audio drivers off): it
# says so on standard error and plays on the silent output, whose position keeps real time:
# the first frame comes, and by about 14 s of music the panels have slid in over the opening,
# as in the Linux frame of that time. Escape ends it with status 0.
#   silent_output.sh ZIP WINE_DIR LINUX_PROGRAM LINUX_DATA
source "$(dirname "$0")/common.sh"

linux_frames "$3" "$4" 14
no_sound_device
start_show
wid=$(find_window "Kelvo Strand engine" 60)
[ -n "$wid" ] || { cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
wait_music_start 90
sleep_until_music 13.9
grab "$WORK/wine-14.png"
kill -0 "$PID" 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended on its own"; }
press "$wid" Escape
wait_exit "$PID" 10
cat "$WORK/stderr"
[ "$STATUS" = 0 ] || fail "status $STATUS after Escape (999: still running after 10 s)"
grep -q 'no audio device.*playing silently' "$WORK/stderr" || fail "standard error does not say the show plays silently"
hist=$(histogram_distance "$WORK/wine-14.png" "$WORK/linux-14.png")
ink=$(panel_ink "$WORK/wine-14.png")
echo "at 14 s: histogram distance $hist, panel ink $ink (Linux $(panel_ink "$WORK/linux-14.png"))"
# Thresholds as in show_plays.sh.
is "$hist" "<=" 0.45 || fail "the picture at 14 s is unlike the Linux frame"
is "$ink" ">=" 0.06 || fail "no panels by 14 s: the music clock did not keep time"
echo PASS
