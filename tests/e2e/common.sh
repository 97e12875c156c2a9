# Shared by the end-to-end scripts: arguments, a scratch directory, failure reporting, a display
# of their own, and finding and answering windows as a person would. CTest runs each script
# through guard.sh, which bounds it in time and kills whatever it leaves behind.
set -u
BIN="$1"
DATA="$2"
WORK="$(mktemp -d /tmp/ks-e2e-XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$BIN" ] || fail "no program at $BIN"
[ -f "$DATA/golem.jpg" ] || fail "no generated content in $DATA (build the content target)"
# A copy of the data directory (links), optionally without some files.
make_data() {
  rm -rf "$WORK/data"
  mkdir -p "$WORK/data"
  for f in "$DATA"/*; do
    name="$(basename "$f")"
    for skip in "$@"; do [ "$name" = "$skip" ] && continue 2; done
    ln -s "$f" "$WORK/data/$name"
  done
}
# Waits up to $2 seconds (in 20 ms steps) for process $1 to end; sets STATUS (999: it had to be killed).
wait_exit() {
  local pid=$1 steps=$(( $2 * 50 ))
  for _ in $(seq "$steps"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
  if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; wait "$pid" 2>/dev/null; STATUS=999; return; fi
  wait "$pid"; STATUS=$?
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Runs the calling script (call as `need_display "$@"`) under an X server of its own, with a
# window manager when KS_E2E_WM names one (a desktop: boxes framed, focus and stacking managed);
# its screen is 1024x768, or KS_E2E_SCREEN (WIDTHxHEIGHT).
need_display() {
  if [ -z "${KS_IN_XVFB:-}" ]; then
    exec env KS_IN_XVFB=1 xvfb-run -a -s "-screen 0 ${KS_E2E_SCREEN:-1024x768}x24" "$0" "$@"
  fi
  if [ -n "${KS_E2E_WM:-}" ]; then
    "$KS_E2E_WM" >/dev/null 2>&1 &
    for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && return 0; sleep 0.05; done
    fail "the window manager $KS_E2E_WM did not start"
  fi
}

# Prints the id of a viewable window titled exactly $1, waiting up to $2 seconds (default 10);
# fails (status 1, nothing printed) when none appears.
find_window() {
  local name=$1 steps=$(( ${2:-10} * 20 )) id
  for _ in $(seq "$steps"); do
    for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$name\": " | awk '{print $1}'); do
      if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then echo "$id"; return 0; fi
    done
    sleep 0.05
  done
  return 1
}
# True while a window titled exactly $1 exists.
window_exists() { xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\": "; }
# Gives window $1 the focus and presses key $2, as a person would.
press() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
}
# Clicks the middle of the bottom strip of window $1 (where a box has its one button).
click_button() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $((WIDTH / 2)) $((HEIGHT - 20)) click 1
}
# True when window $1 is stacked above window $2: by the window manager's stacking list when
# one runs, else by the order of the root's children (xwininfo lists the top one first).
stacked_above() {
  local order
  if [ -n "${KS_E2E_WM:-}" ]; then
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -c '0-9a-fx\n' ' ' | tr ' ' '\n' | grep '^0x' | tac)
  else
    order=$(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}')
  fi
  for id in $order; do
    [ $((id)) = $(($1)) ] && return 0
    [ $((id)) = $(($2)) ] && return 1
  done
  return 1
}
