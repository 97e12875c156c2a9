#!/usr/bin/env bash
# Live runs one after another in one X server with a window manager, as a person at a 1920x1080
# desktop makes them, several times over: the default full-screen run with a screenshot of the
# screen; a --windowed run resized and then photographed; --from 150, which must come to play
# from 150 s; --from 231 --loop, which must play to the end and start again from the beginning
# in the same process. Every run ends on Escape with status 0. Screenshots are ImageMagick's
# `import` where it is installed (it grabs the server while it reads), else ffmpeg's.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
KS_E2E_SCREEN=1920x1080 KS_E2E_WM=openbox need_display "$@"
make_data
cd "$WORK"
TRIES=${KS_E2E_TRIES:-3}
command -v import >/dev/null && echo "screenshots by ImageMagick's import" || echo "screenshots by ffmpeg (no ImageMagick)"

# shot FILE [WINDOW]: the screen, or that window's inside.
shot() {
  if command -v import >/dev/null; then
    import -window "${2:-root}" "$1" || fail "import could not take $1"
  elif [ -n "${2:-}" ]; then
    eval "$(xdotool getwindowgeometry --shell "$2")"
    grab "$1" "$WIDTH" "$HEIGHT" "$X" "$Y"
  else
    grab "$1" 1920 1080
  fi
  [ -s "$1" ] || fail "no screenshot $1"
}
# start NAME ARGS...: the program with its clock trace in $WORK/NAME.err (CLOCK_TRACE); PID, WID.
# As on a desktop without a sound device, no audio driver opens (SDL has none named "none"),
# so the show plays on its own silent output.
start() {
  CLOCK_TRACE="$WORK/$1.err"
  shift
  KS_CLOCK_TRACE=1 SDL_AUDIODRIVER=none "$BIN" "$@" 2>"$CLOCK_TRACE" &
  PID=$!
  WID=$(find_window 'Kelvo Strand engine' 60) || { cat "$CLOCK_TRACE" >&2; fail "$RUN: no window"; }
}
# Escape in the window, as a person presses it: the run ends with status 0.
escape() {
  press "$(find_window 'Kelvo Strand engine' 10)" Escape
  wait_exit "$PID" 5
  [ "$STATUS" = 0 ] || { cat "$CLOCK_TRACE" >&2; fail "$RUN: status $STATUS after Escape (999: still running)"; }
}

# The pipes and sockets that process $1 holds and this script does not (it opened them itself).
own_files() {
  comm -23 <(ls -l /proc/"$1"/fd | grep -o '[a-z]*:\[[0-9]*\]' | sort -u) \
    <(ls -l /proc/$$/fd | grep -o '[a-z]*:\[[0-9]*\]' | sort -u)
}

for try in $(seq "$TRIES"); do
  RUN="try $try, full screen"
  start "$try-full"
  wait_music_start 60
  wait_music 2
  shot "$WORK/$try-screen.png"
  escape

  RUN="try $try, windowed"
  start "$try-windowed" --windowed
  wait_music_start 60
  wait_music 1
  xdotool windowsize "$WID" 1200 600
  drawn_since_mark
  drawn_until_mark  # a frame drawn at the new size
  shot "$WORK/$try-window.png" "$WID"
  escape

  RUN="try $try, --from 150"
  start "$try-from" --from 150
  wait_playing_from 150
  grep -q 'playing silently' "$CLOCK_TRACE" || { cat "$CLOCK_TRACE" >&2; fail "$RUN: not on the silent output"; }
  echo "$RUN: $(grep -o 'playing from.*' "$CLOCK_TRACE")"
  wait_music 151
  escape

  RUN="try $try, --from 231 --loop"
  start "$try-loop" --from 231 --loop
  first=$WID
  wait_playing_from 231
  opened=$(own_files "$PID")
  # The end at 233 s; the same process starts the show again, its music from 0 s (the trace
  # of the new pass follows the old one's in the same file).
  for _ in $(seq 1200); do
    music=$(clock_line | cut -d' ' -f1)
    is "${music:-231}" "<" 231 && is "$music" ">=" 1 && break
    kill -0 "$PID" 2>/dev/null || { cat "$CLOCK_TRACE" >&2; fail "$RUN: the process ended instead of starting again"; }
    sleep 0.1
  done
  is "${music:-231}" "<" 231 || { cat "$CLOCK_TRACE" >&2; fail "$RUN: the show did not start again within 120 s"; }
  echo "$RUN: started again, music at $music s, window $first then $(find_window 'Kelvo Strand engine' 10)"
  # Nothing the first pass opened stays open in the second (an exhibition loops for days).
  left=$(comm -12 <(echo "$opened") <(own_files "$PID"))
  [ -z "$left" ] || fail "$RUN: the second pass still holds the first one's $(echo $left)"
  escape
done
echo PASS
