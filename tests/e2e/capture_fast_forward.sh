#!/usr/bin/env bash
# Frames written after a fast-forward are the frames of a full draw: chosen frames in the opening,
# in the split screen's slide and in the clock hall's camera path, and a range in the hall, are
# compared by their decoded pixels with the same frames of one run that draws every earlier frame
# in full (--no-fast-forward). That run draws 94 s of the show: about half a minute on two cores.
source "$(dirname "$0")/common.sh"
make_data
cd "$WORK"
export KS_FIXED_TIME=12:34:56

# run SECONDS ARGS...: one capture, bounded, its stderr kept in $WORK/stderr.
run() {
  local limit=$1; shift
  local start=$(date +%s%N)
  timeout -k 5 "$limit" "$BIN" "$@" 2>"$WORK/stderr"
  local status=$?
  [ "$status" = 0 ] || { cat "$WORK/stderr" >&2; fail "$* ended with status $status (124: timed out)"; }
  echo "$*: $(( ($(date +%s%N) - start) / 1000000 )) ms"
}
pixels() { ffmpeg -hide_banner -loglevel error -nostdin -i "$1" -pix_fmt rgb24 -f md5 - 2>/dev/null; }
# same DIR FRAME...: each frame in DIR has the pixels of the reference's.
same() {
  local dir=$1 frame; shift
  for frame in "$@"; do
    [ -f "$dir/frame-$frame.png" ] || fail "$dir has no frame $frame: $(ls "$dir" | tr '\n' ' ')"
    [ "$(pixels "$dir/frame-$frame.png")" = "$(pixels "ref/frame-$frame.png")" ] ||
      fail "frame $frame written after a fast-forward ($dir) differs from the full draw"
  done
}

run 600 --capture ref --no-fast-forward --at 1.2,36.6,36.64,94,94.04,94.08
[ "$(ls ref | wc -l)" = 6 ] || fail "the reference run wrote $(ls ref | tr '\n' ' ')"
# The frames are pictures that move: two neighbours differ, so equal frames below mean something.
[ "$(pixels ref/frame-02350.png)" != "$(pixels ref/frame-02351.png)" ] || fail "the hall does not move between frames"
[ "$(pixels ref/frame-00915.png)" != "$(pixels ref/frame-00916.png)" ] || fail "the split screen does not move"

# Chosen frames, fast-forwarded from the start and between each other.
run 300 --capture chosen --at 1.2,36.6,36.64,94
[ "$(ls chosen | wc -l)" = 4 ] || fail "wrote $(ls chosen | tr '\n' ' '), wanted 4 frames"
same chosen 00030 00915 00916 02350
grep -q 'capture: 4 frames, show time 94.00 s of 94.00 s, done in' "$WORK/stderr" || fail "no final line: $(tr '\r' '\n' <"$WORK/stderr" | tail -2)"

# A range inside the hall's camera path, fast-forwarded to 94 s.
run 300 --capture range --from 94 --to 94.08
[ "$(ls range | tr '\n' ' ')" = "frame-02350.png frame-02351.png frame-02352.png " ] || fail "range wrote $(ls range | tr '\n' ' ')"
same range 02350 02351 02352
grep -q 'going to 94.00 s' "$WORK/stderr" || fail "no fast-forward progress shown"
grep -q 'capture: 3 frames, show time 94.08 s of 94.08 s, written in .* after .* of fast-forward to 94.00 s' "$WORK/stderr" ||
  fail "no final line: $(tr '\r' '\n' <"$WORK/stderr" | tail -1)"
# To a file, the progress comes as whole lines, one each tenth of the way, never rewritten.
! grep -q $'\r' "$WORK/stderr" || fail "carriage returns in the progress written to a file"
lines=$(grep -c '^capture: going to 94.00 s' "$WORK/stderr")
[ "$lines" -ge 2 ] && [ "$lines" -le 10 ] || fail "$lines lines of fast-forward progress, wanted one a tenth"
echo PASS
