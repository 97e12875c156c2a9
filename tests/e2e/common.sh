# Shared by the end-to-end scripts: arguments, a scratch directory, failure reporting.
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
