# Shared by the Windows checks: the Windows program runs under Wine (wine64, the 64-bit build)
# on an X server of the test's own (Xvfb), with OpenGL through Mesa.
#
#   SCRIPT ZIP WINE_DIR [LINUX_PROGRAM LINUX_DATA]
#
# ZIP is the package tools/windows/build.sh wrote; WINE_DIR holds the Wine prefix that prefix.sh
# made; the Linux program and its data, where given, draw the reference frames ($BIN, $DATA). Each check unpacks the package into a scratch directory and plays it from there, as a
# person would after copying it to a Windows machine.
#
# CTest runs each check through the end-to-end guard (tests/e2e/guard.sh), which bounds it in
# time and fails it for any process left behind. The script re-runs itself under xvfb-run; on
# its way out (an end, a failure or the guard's SIGTERM) it ends the prefix's wineserver, which
# detaches itself, and removes its scratch directory.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/pictures.sh"
# (Paths made absolute: the checks run programs from other directories.)
ZIP="$(realpath -m "$1")"
WINE_DIR="$(realpath -m "$2")"
BIN="" DATA=""
[ $# -lt 4 ] || { BIN="$(realpath -m "$3")" DATA="$(realpath -m "$4")"; }
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="$WINE_DIR/prefix"
export WINEDEBUG=-all
# No menu entries or file associations in the home directory of whoever runs the suite.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

# The outer run: the check itself, on an X server of its own.
if [ -z "${KS_IN_XVFB:-}" ]; then
  for tool in "$WINE" "$WINESERVER" xvfb-run xdotool ffmpeg unzip; do
    command -v "$tool" >/dev/null || fail "$tool is missing (./setup.sh installs it)"
  done
  [ -f "$ZIP" ] || fail "no Windows package at $ZIP (the windows.build test makes it)"
  [ -f "$WINEPREFIX/.ks-ready" ] || fail "no Wine prefix at $WINEPREFIX (the windows.prefix test makes it)"
fi
need_display "$@"

# The inner run, on the new X server.
WORK="$(mktemp -d /tmp/ks-wine-XXXXXX)"
PULSE_PID=""
cleanup() {
  [ -z "$PULSE_PID" ] || kill "$PULSE_PID" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
unzip -q "$ZIP" -d "$WORK" || fail "cannot unpack $ZIP"
GAME="$WORK/kelvo-strand"
[ -f "$GAME/kelvo-strand.exe" ] && [ -f "$GAME/data/golem.jpg" ] || fail "the package lacks the program or its data"
# The server exits as soon as its last program does (no lingering after the check).
"$WINESERVER" -p0

# A sound device of our own: a PulseAudio server with a null sink, which plays in real time
# and is heard by nobody, on a private socket (a desktop's own sound server is left alone).
start_sound_device() {
  command -v pulseaudio >/dev/null || fail "pulseaudio is missing (./setup.sh installs it)"
  mkdir -p "$WORK/pulse"
  HOME="$WORK/pulse" PULSE_RUNTIME_PATH="$WORK/pulse/run" PULSE_STATE_PATH="$WORK/pulse/state" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
    -L "module-null-sink sink_name=ks_null" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$WORK/pulse/socket" 2>"$WORK/pulse.log" &
  PULSE_PID=$!
  for _ in $(seq 100); do [ -S "$WORK/pulse/socket" ] && break; sleep 0.05; done
  [ -S "$WORK/pulse/socket" ] || { cat "$WORK/pulse.log" >&2; fail "the null sound device did not start"; }
  export PULSE_SERVER="unix:$WORK/pulse/socket"
}

# No sound device at all: Wine's audio drivers are switched off.
no_sound_device() {
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv,winealsa.drv,wineoss.drv=d"
}

# Starts the show from its folder with its clock trace (checks.sh); sets PID, output in
# $WORK/stderr.
start_show() {
  (cd "$GAME" && KS_CLOCK_TRACE=1 exec "$WINE" kelvo-strand.exe >"$WORK/stdout" 2>"$WORK/stderr") &
  PID=$!
}

# The sliding panels' black lettering: the share of near-black pixels (grey below 16) in the
# column x 352-607 where the panels come to rest.
panel_ink() {
  ffmpeg -loglevel error -i "$1" -vf crop=256:480:352:0,format=gray -f rawvideo - | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; i++) { n++; if ($i < 16) d++ } } END { printf "%.3f", d / n }'
}
# The panels in screenshot $1 (NAME.png, taken with `shoot NAME`) as the schedule has them for
# the music played meanwhile: they appear at 11, 12 and 13 s and stay at rest until 15 s (the
# slide off starts at 15.5 s), multiplying the picture under them by their lettering, whose
# near-black share is 0.08-0.12 with them and 0.002-0.04 without (measured on Linux frames).
# The screenshot is begun right after the trace line that gives the music's lower bound, so a
# lower bound of 13 to 15 s puts its picture among the panels at rest, however long the grab
# took to finish (its upper bound, the next line, can come seconds later on a busy machine).
panels_as_scheduled() {
  local ink music
  ink=$(panel_ink "$WORK/$1.png") music=$(shot_music "$1")
  echo "  panel ink $ink, music ${music% *} to ${music#* } s"
  if is "${music#* }" "<" 11; then
    is "$ink" "<" 0.06 || { echo "  panels before 11 s"; return 1; }
  elif is "${music% *}" ">=" 13 && is "${music% *}" "<" 15; then
    is "$ink" ">=" 0.06 || { echo "  no panels from 13 s on"; return 1; }
  else
    echo "  taken while the panels came or went: the check needs a screenshot before 11 s or from 13 s to 15 s"
    return 1
  fi
}
