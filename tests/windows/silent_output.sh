#!/usr/bin/env bash
# The Windows program under Wine with no sound device at all (Wine's audio drivers off): it
# says so on standard error and plays on the silent output, whose position keeps real time
# (its clock trace); at about 14 s of music the picture is the Linux program's frame of as
# many frames as it drew, with the panels over it that the music's time brings. Escape ends it
# with status 0.
#   silent_output.sh ZIP WINE_DIR LINUX_PROGRAM LINUX_DATA
source "$(dirname "$0")/common.sh"

no_sound_device
start_show
wid=$(find_window "Kelvo Strand engine" 60)
[ -n "$wid" ] || { cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
wait_music_start 90
wait_music 13
shoot wine-14
kill -0 "$PID" 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended on its own"; }
press "$wid" Escape
wait_exit "$PID" 10
grep -v '^clock: ' "$WORK/stderr"
[ "$STATUS" = 0 ] || fail "status $STATUS after Escape (999: still running after 10 s)"
grep -q 'no audio device.*playing silently' "$WORK/stderr" || fail "standard error does not say the show plays silently"
clock_kept_time 13 || fail "the music clock did not keep real time on the silent output"
capture_shots
judge_shot wine-14 "at 14 s" || fail "the picture at 14 s is unlike the Linux frame of as many frames"
panels_as_scheduled wine-14 || fail "the panels are not as the music's time has them"
echo PASS
