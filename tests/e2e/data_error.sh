#!/usr/bin/env bash
# Damaged or missing content ends the live show through the data-error box: the box appears
# above the show's window, is answered by Return, Escape or its button, its text and the failed
# file are on standard error, and the run ends with status 1. SIGINT while the box is open ends
# the process (within a second on an idle machine), taking the box with it.
source "$(dirname "$0")/common.sh"
need_display "$@"
cd "$WORK"

# Starts the show on the current data copy; sets PID.
start() { SDL_AUDIODRIVER=dummy "$BIN" 2>"$WORK/stderr" & PID=$!; }
# Waits for the box titled $1 and checks it is seen: viewable and above the show's window.
expect_box() {
  BOX=$(find_window "$1" 15) || { kill -9 $PID; cat "$WORK/stderr" >&2; fail "$CASE: no \"$1\" box appeared"; }
  local show
  show=$(find_window 'Kelvo Strand engine' 1) || fail "$CASE: the show's window is not there behind the box"
  stacked_above "$BOX" "$show" || fail "$CASE: the \"$1\" box is behind the show's window"
}
# The run ends with status 1 once the box is answered, the box gone and the reason on stderr.
expect_end() {
  wait_exit $PID 5
  [ "$STATUS" = 1 ] || { cat "$WORK/stderr" >&2; fail "$CASE: status $STATUS, wanted 1 (999: still running 5 s after the box)"; }
  grep -q '^ERROR!!!: Error!!!$' "$WORK/stderr" && grep -q '^Data is not complite!$' "$WORK/stderr" ||
    { cat "$WORK/stderr" >&2; fail "$CASE: the box's text is not on standard error"; }
  grep -q "Kelvo Strand: cannot load $1" "$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "$CASE: $1 is not named"; }
  ! window_exists 'ERROR!!!' || fail "$CASE: the box is still on screen"
  echo "$CASE: box answered, status 1"
}

CASE="missing picture, Return"
make_data title.jpg
start
expect_box 'ERROR!!!'
grep -q 'kratka.3ds' "$WORK/stderr" && fail "$CASE: a model was opened after the failed picture"
press "$BOX" Return
expect_end data/title.jpg

CASE="missing music, Escape"
make_data compilation.mp3
start
expect_box 'ERROR!!!'
press "$BOX" Escape
expect_end data/compilation.mp3

CASE="music that is no music, a click"
make_data compilation.mp3
head -c 100000 /dev/zero | tr '\0' 'x' >"$WORK/data/compilation.mp3"
start
expect_box 'ERROR!!!'
click_button "$BOX"
expect_end data/compilation.mp3

CASE="cut model: the reader's box, then the data-error box"
make_data kratka.3ds
head -c 1000 "$DATA/kratka.3ds" >"$WORK/data/kratka.3ds"
start
expect_box 'Error'
press "$BOX" Return
expect_box 'ERROR!!!'
press "$BOX" Return
expect_end data/kratka.3ds
grep -q '^Error: data/kratka.3ds: ' "$WORK/stderr" || fail "$CASE: the reader's reason is not on standard error"

# A picture whose header claims 60000 x 60000 pixels: refused at once, nothing allocated. Judged
# by the program's own CPU time until its box shows, against a run whose first picture is
# missing (the same way to the same box), so that a busy machine's delays do not count.
cpu_ms() { awk '{ print int(($14 + $15) * 1000 / ticks) }' ticks="$(getconf CLK_TCK)" "/proc/$1/stat"; }
CASE="missing first picture"
make_data golem.jpg
start
expect_box 'ERROR!!!'
missing_cpu=$(cpu_ms $PID)
press "$BOX" Return
expect_end data/golem.jpg
CASE="oversized picture"
perl -0777 -pe 's/\xFF\xC0(..)(.)(....)/"\xFF\xC0$1$2\xEA\x60\xEA\x60"/se' "$DATA/golem.jpg" >"$WORK/data/golem.jpg"
cmp -s "$DATA/golem.jpg" "$WORK/data/golem.jpg" && fail "$CASE: the header could not be patched"
start
expect_box 'ERROR!!!'
cpu=$(cpu_ms $PID)
echo "$CASE: the box came after $cpu ms of the program's CPU time ($missing_cpu ms with the picture missing)"
[ "$cpu" -le $((missing_cpu + 500)) ] || fail "$CASE: the refusal cost more than half a second of CPU time"
grep -q 'data/golem.jpg: 60000 x 60000 pixels' "$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "$CASE: no reason"; }
press "$BOX" Return
expect_end data/golem.jpg

CASE="SIGINT while the box is open"
make_data title.jpg
start
expect_box 'ERROR!!!'
t0=$(now_ms)
kill -INT $PID
# The watcher ends it within a second; a busy machine may take longer to run it, but without the
# watcher the box would hold the process for good.
wait_exit $PID 5
took=$(( $(now_ms) - t0 ))
echo "$CASE: ended $took ms after SIGINT, status $STATUS"
[ "$STATUS" = 130 ] || fail "$CASE: status $STATUS, wanted 130 (ended by SIGINT; 999: still running after 5 s)"
sleep 0.3
! window_exists 'ERROR!!!' || fail "$CASE: the box outlived the show"
echo PASS
