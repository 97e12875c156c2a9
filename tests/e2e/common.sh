# Shared by the end-to-end scripts: arguments, a scratch directory, a copy of the data, and the
# window checks only they need; the helpers both suites use come from tests/support/checks.sh.
# CTest runs each script through guard.sh, which bounds it in time and kills whatever it leaves
# behind.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
BIN="$1"
DATA="$2"
WORK="$(mktemp -d /tmp/ks-e2e-XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
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
# Waits up to 300 s for a live --from run to say "playing from $1" (its fast-forward done, the
# first frame there shown) on its standard error ($CLOCK_TRACE, else $WORK/stderr); fails when
# the program (PID) ends first.
wait_playing_from() {
  local log=${CLOCK_TRACE:-$WORK/stderr}
  for _ in $(seq 3000); do
    grep -q "playing from $1" "$log" && return
    kill -0 "$PID" 2>/dev/null || { cat "$log" >&2; fail "${RUN:-the show} ended before it played from $1 s"; }
    sleep 0.1
  done
  cat "$log" >&2
  fail "${RUN:-the show} was not playing from $1 s within 300 s"
}
