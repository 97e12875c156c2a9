#!/usr/bin/env bash
# The data is found wherever the program is started from: data/ under the working directory
# first, else data/ beside the program (here the build directory), else the installed one. A
# capture path given relative to where the program was started stays there. A run that finds no
# data says where it looked.
source "$(dirname "$0")/common.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)

# One frame at 1 s, written to $2 from working directory $1; the frame's checksum in SUM.
capture_from() {
  (cd "$1" && timeout 60 "$BIN" --capture "$2" --at 1 2>"$WORK/stderr")
  STATUS=$?
  SUM=$( (md5sum <"$1/$2/frame-00025.png") 2>/dev/null | cut -d' ' -f1)
}

# From the build directory, where data/ is under the working directory: the reference frame.
capture_from "$(dirname "$BIN")" "$(realpath --relative-to="$(dirname "$BIN")" "$WORK/here")"
[ "$STATUS" = 0 ] && [ -n "$SUM" ] || { cat "$WORK/stderr" >&2; fail "the capture from the build directory failed"; }
reference=$SUM

# The repository root has no data/: the one beside the program is used, the frames land here.
[ ! -e "$root/data" ] || fail "$root/data exists: this check needs a root without one"
rel=$(realpath --relative-to="$root" "$WORK/root")
capture_from "$root" "$rel"
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "from the repository root: status $STATUS"; }
[ "$SUM" = "$reference" ] || fail "from the repository root the frame differs (or is missing)"
echo "repository root: same frame as from the build directory"

capture_from / "${WORK#/}/slash"
[ "$STATUS" = 0 ] || { cat "$WORK/stderr" >&2; fail "from /: status $STATUS"; }
[ "$SUM" = "$reference" ] || fail "from / the frame differs (or is missing)"
echo "/: same frame"

# A data/ of one's own without the show's files (say in a home directory) is not taken for it.
mkdir -p "$WORK/home/data" && echo notes >"$WORK/home/data/notes.txt"
capture_from "$WORK/home" frames
[ "$STATUS" = 0 ] && [ "$SUM" = "$reference" ] || { cat "$WORK/stderr" >&2; fail "an unrelated data/ was taken for the show's"; }
echo "unrelated data/: passed over"
# Any file of the show's manifest marks its data/, here only a model: the show then names the
# first file it misses.
mkdir -p "$WORK/model/data" && ln -s "$DATA/grid.3ds" "$WORK/model/data/grid.3ds"
capture_from "$WORK/model" frames
[ "$STATUS" = 1 ] && grep -q 'cannot load data/golem.jpg' "$WORK/stderr" ||
  { cat "$WORK/stderr" >&2; fail "a data/ holding one of the show's models was passed over (status $STATUS)"; }
echo "data/ with one model of the show: taken for it"

# data/ under the working directory comes first, even when a file is missing from it: the
# show then names the missing file.
make_data title.jpg
capture_from "$WORK" frames
[ "$STATUS" = 1 ] || fail "a working directory whose data/ lacks title.jpg: status $STATUS, wanted 1"
grep -q 'cannot load data/title.jpg' "$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "the missing file is not named"; }
echo "data/ under the working directory: used first"

# No data anywhere: the program alone in a directory, started from another; one message that
# names every place looked at, status 1, no window or capture started.
mkdir -p "$WORK/alone" "$WORK/empty"
cp "$BIN" "$WORK/alone/kelvo-strand"
(cd "$WORK/empty" && timeout 10 "$WORK/alone/kelvo-strand" --capture out --at 1 2>"$WORK/stderr")
STATUS=$?
[ "$STATUS" = 1 ] || fail "without data: status $STATUS, wanted 1"
grep -q "no show data found: looked in $WORK/empty/data, $WORK/alone/data, $WORK/share/kelvo-strand/data, .*/share/kelvo-strand/data" "$WORK/stderr" ||
  { cat "$WORK/stderr" >&2; fail "without data the message does not say where it looked"; }
[ "$(wc -l <"$WORK/stderr")" = 1 ] || { cat "$WORK/stderr" >&2; fail "without data more than one line was printed"; }
[ ! -e "$WORK/empty/out" ] || fail "without data a capture directory was made"
echo "no data: $(cat "$WORK/stderr")"
echo PASS
