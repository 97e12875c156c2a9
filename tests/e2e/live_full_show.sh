#!/usr/bin/env bash
# The whole show, live under Xvfb on the silent sound output, with a music track of only 4 s:
# the clock goes on in silence after the track, so the show plays to its end on its own, ending
# just after the music position passes 233 s with status 0, one line on standard error saying
# where the track ended, the screen back at its own size and the window gone. Takes about four
# minutes.
source "$(dirname "$0")/common.sh"
need_display "$@"
make_data compilation.mp3
ffmpeg -loglevel error -nostdin -f lavfi -i sine=frequency=330:duration=4 -ar 44100 -ac 2 \
  "$WORK/data/compilation.mp3" || fail "ffmpeg could not make a short track"
cd "$WORK"
screen_size() { xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p'; }
before=$(screen_size)
[ -n "$before" ] || fail "xdpyinfo cannot read the screen"
SDL_AUDIODRIVER=no-such-driver "$BIN" 2>"$WORK/stderr" &
pid=$!
find_window 'Kelvo Strand engine' 30 >/dev/null || { kill -9 $pid; cat "$WORK/stderr" >&2; fail "no window titled \"Kelvo Strand engine\""; }
shown=$(now_ms)
echo "window shown; screen $before before, $(screen_size) while playing"
# Loading and the music's start come after the window: the run cannot end before 233 s from here.
sleep 230
kill -0 $pid 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended before 230 s"; }
wait_exit $pid 40; status=$STATUS
took=$(( $(now_ms) - shown ))
echo "ended ${took} ms after the window was shown, status $status"
grep -v '^ALSA lib' "$WORK/stderr"
[ "$status" = 0 ] || fail "status $status at the end (999: still running 270 s after its window)"
[ "$took" -ge 233000 ] || fail "ended after $took ms, before the music could reach 233 s"
[ "$took" -le 245000 ] || fail "ended after $took ms, not just after 233 s"
[ "$(grep -c 'the music ends at' "$WORK/stderr")" = 1 ] || fail "the track's end is not said once"
grep -q '^data/compilation.mp3: the music ends at 4\.0[0-9]* s; the clock goes on in silence$' "$WORK/stderr" ||
  fail "the line does not name the file and the time the track ended"
after=$(screen_size)
[ "$after" = "$before" ] || fail "screen is $after after the show, was $before"
! window_exists 'Kelvo Strand engine' || fail "the window is still there"
echo PASS
