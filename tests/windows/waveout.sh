#!/usr/bin/env bash
# The waveOut output's own check (waveout-check.exe) under Wine on a sound device that plays
# in real time (a null sink).
#   waveout.sh ZIP WINE_DIR CHECK_EXE
source "$(dirname "$0")/common.sh"
[ -f "$3" ] || fail "no check program at $3"
start_sound_device
"$WINE" "$3" 2>"$WORK/stderr"
status=$?
[ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "waveout-check ended with status $status (3: no device)"; }
echo PASS
