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


# The 640x480 screen area at (0, 0), where the show's window is.
grab() { ffmpeg -loglevel error -y -f x11grab -video_size 640x480 -i "$DISPLAY+0,0" -frames:v 1 "$1"; }
# Mean brightness (0-255) of a picture.
brightness() { ffmpeg -loglevel error -i "$1" -vf scale=1:1:flags=area,format=gray -f rawvideo - | od -An -tu1 | tr -d ' \n'; }



# Picture measures for comparing a screenshot under Wine with the Linux capture of the same
# music time. The show's motions advance a fixed step per drawn frame, and the two runs draw
# different numbers of frames, so the pictures agree in scene, not in pixels.
#
# Colour histogram distance (0: same colours, 1: none shared): 4x4x4 RGB bins over the
# picture averaged down to 160x120, half the L1 distance of the two normalised histograms.
rgb_bytes() { ffmpeg -loglevel error -i "$1" -vf "scale=$2:flags=area" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1; }
histogram() {
  rgb_bytes "$1" 160:120 | awk '{ for (i = 1; i <= NF; i++) v[n++] = $i }
    END { for (p = 0; p < n; p += 3) h[int(v[p] / 64) * 16 + int(v[p + 1] / 64) * 4 + int(v[p + 2] / 64)]++
          for (b = 0; b < 64; b++) printf "%d ", h[b] + 0; print "" }'
}
histogram_distance() {
  { histogram "$1"; histogram "$2"; } | awk 'NR == 1 { split($0, a, " ") } NR == 2 { split($0, b, " ") }
    END { d = 0; t = 0; for (i = 1; i <= 64; i++) { x = a[i] - b[i]; d += x < 0 ? -x : x; t += a[i] }
          printf "%.3f", d / 2 / t }'
}
# Mean colour per region: the pictures averaged down to 8x6 cells of 80x80 pixels; the mean
# absolute difference of the cells' red, green and blue (0-255).
region_distance() {
  { rgb_bytes "$1" 8:6 | tr -s ' \n' ' '; echo; rgb_bytes "$2" 8:6 | tr -s ' \n' ' '; echo; } |
    awk 'NR == 1 { n = split($0, a, " ") } NR == 2 { split($0, b, " ") }
      END { d = 0; for (i = 1; i <= n; i++) { x = a[i] - b[i]; d += x < 0 ? -x : x } printf "%.1f", d / n }'
}
# The sliding panels' black lettering: the share of near-black pixels (grey below 16) in the
# column x 352-607 where the panels come to rest.
panel_ink() {
  ffmpeg -loglevel error -i "$1" -vf crop=256:480:352:0,format=gray -f rawvideo - | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; i++) { n++; if ($i < 16) d++ } } END { printf "%.3f", d / n }'
}
# awk as a calculator for comparisons of decimals: `is 0.12 "<=" 0.35`.
is() { awk -v a="$1" -v b="$3" "BEGIN { exit !(a $2 b) }"; }

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
