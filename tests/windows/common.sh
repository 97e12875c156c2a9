# Shared by the Windows checks: the Windows program runs under Wine (wine64, the 64-bit build)
# on an X server of the test's own (Xvfb), with OpenGL through Mesa.
#
#   SCRIPT ZIP WINE_DIR [LINUX_PROGRAM LINUX_DATA]
#
# ZIP is the package tools/windows/build.sh wrote; WINE_DIR holds the Wine prefix that prefix.sh
# made. Each check unpacks the package into a scratch directory and plays it from there, as a
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

# Starts the show from its folder; sets PID, output in $WORK/stderr.
start_show() {
  (cd "$GAME" && exec "$WINE" kelvo-strand.exe >"$WORK/stdout" 2>"$WORK/stderr") &
  PID=$!
}


# The sliding panels' black lettering: the share of near-black pixels (grey below 16) in the
# column x 352-607 where the panels come to rest.
panel_ink() {
  ffmpeg -loglevel error -i "$1" -vf crop=256:480:352:0,format=gray -f rawvideo - | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; i++) { n++; if ($i < 16) d++ } } END { printf "%.3f", d / n }'
}

# Draws the Linux program's frames at music times "$@" (seconds) into $WORK/linux-T.png.
linux_frames() {
  local bin data t frame
  bin=$(realpath -m "$1") data=$(realpath -m "$2")
  shift 2
  mkdir -p "$WORK/linux"
  ln -sfn "$data" "$WORK/linux/data"
  for t in "$@"; do
    (cd "$WORK/linux" && "$bin" --capture "cap-$t" --from "$t" --to "$t" >/dev/null 2>"cap-$t.log") ||
      { cat "$WORK/linux/cap-$t.log" >&2; fail "the Linux capture at $t s failed"; }
    frame=$(ls "$WORK/linux/cap-$t"/frame-*.png | head -1)
    [ -f "$frame" ] || fail "the Linux capture at $t s wrote no frame"
    mv "$frame" "$WORK/linux-$t.png"
  done
}

# Waits up to $1 seconds for the first drawn frame of the show: the screen is black (with the
# loading picture) until the music plays, and the first frames after 0.1 s are bright with the
# white fade. Sets MUSIC_START (date +%s%N) to the moment it was seen.
wait_music_start() {
  local until=$(($(date +%s) + $1)) b
  while [ "$(date +%s)" -lt "$until" ]; do
    kill -0 "$PID" 2>/dev/null || { cat "$WORK/stderr" >&2; fail "the show ended before it drew a frame"; }
    grab "$WORK/poll.png"
    b=$(brightness "$WORK/poll.png")
    if [ "${b:-0}" -ge 20 ]; then
      MUSIC_START=$(date +%s%N)
      return
    fi
    sleep 0.1
  done
  cat "$WORK/stderr" >&2
  fail "no frame drawn within $1 s (the music clock never passed 0.1 s)"
}
# Sleeps until $1 seconds after MUSIC_START.
sleep_until_music() {
  sleep "$(awk -v s="$1" -v start="$MUSIC_START" -v now="$(date +%s%N)" \
    'BEGIN { d = (start + s * 1e9 - now) / 1e9; printf "%.3f", d < 0 ? 0 : d }')"
}
