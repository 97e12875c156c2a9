#!/usr/bin/env bash
# Without any display the live show says so in one line and ends with status 1 at once. The
# line names a capture the person can type from where they are (also through ./run.sh): PNG
# frames, which need nothing more, and a video only where ffmpeg is installed (else that a video
# needs it, with the install command, sudo only for someone who is not root), as a video capture
# without ffmpeg does.
source "$(dirname "$0")/common.sh"
make_data
# hint DIR PATH: the line, in HINT, of the program started from DIR with that PATH.
hint() {
  (cd "$1" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER PATH="$2" PWD="$1" "$BIN" >"$WORK/stdout" 2>"$WORK/stderr") &
  wait_exit $! 5
  cat "$WORK/stderr"
  HINT=$(cat "$WORK/stderr")
  [ "$STATUS" = 1 ] || fail "status $STATUS, wanted 1"
  [ "$(wc -l <"$WORK/stderr")" = 1 ] || fail "more than one line on standard error"
  [ ! -s "$WORK/stdout" ] || fail "something on standard output"
  grep -q 'no display' <<<"$HINT" || fail "the line does not say there is no display"
}

# Beside the program, with ffmpeg on PATH: both ways, by ./NAME.
bindir=$(dirname "$BIN")
hint "$bindir" "$PATH"
grep -qF -- "./$(basename "$BIN") --capture show.mp4 (a video), or ./$(basename "$BIN") --capture frames/" <<<"$HINT" ||
  fail "from the program's directory the line does not name ./$(basename "$BIN") and both captures"

# Elsewhere, without ffmpeg: the program's path, the PNG frames, and what a video needs.
mkdir -p "$WORK/nobin"
hint "$WORK" "$WORK/nobin"
[ "$(id -u)" = 0 ] && install="apt-get install ffmpeg" || install="sudo apt-get install ffmpeg"
grep -qF -- "capture it: $BIN --capture frames/ (PNG pictures); a video (--capture show.mp4) needs ffmpeg: $install" <<<"$HINT" ||
  fail "the line does not name $BIN with PNG frames and \"$install\""
# What it names works from there (one frame of it).
hint_works() {
  local command=${HINT#*capture it: }
  command=${command%% --capture frames/*}
  rm -rf "$1/frames"
  (cd "$1" && timeout 60 $command --capture frames/ --at 1 2>"$WORK/capture.log") || { cat "$WORK/capture.log" >&2; fail "\"$command --capture frames/\" fails in $1"; }
  [ -f "$1/frames/frame-00025.png" ] || fail "\"$command --capture frames/\" wrote no frame in $1"
}
hint_works "$WORK"
# Through ./run.sh, typed at the root of a clone (its set-up a stand-in: the program is built):
# a command that works there.
clone="$WORK/clone"
mkdir -p "$clone/build"
cp "$(dirname "$0")/../../run.sh" "$clone/"
printf '#!/bin/sh\n' >"$clone/setup.sh"
chmod +x "$clone/setup.sh"
cp "$BIN" "$clone/build/kelvo-strand"
ln -s "$DATA" "$clone/build/data"
mkdir -p "$WORK/shell"  # what run.sh itself needs on PATH, and no ffmpeg
ln -s "$(command -v bash)" "$(command -v dirname)" "$WORK/shell/"
BIN="./run.sh" hint "$clone" "$WORK/shell"
grep -qF -- "capture it: build/kelvo-strand --capture frames/" <<<"$HINT" || fail "through ./run.sh the line does not name build/kelvo-strand"
hint_works "$clone"
# The video it says needs ffmpeg does: without it, the same install advice and status 1.
(cd "$WORK" && PATH="$WORK/nobin" "$BIN" --capture show.mp4 2>"$WORK/capture.log")
status=$?
cat "$WORK/capture.log"
[ "$status" = 1 ] && grep -qF "ffmpeg is not installed (no ffmpeg on PATH); on Debian or Ubuntu: $install" "$WORK/capture.log" ||
  fail "a video without ffmpeg: status $status, or the advice is not \"$install\""
echo PASS
