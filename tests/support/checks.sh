# The shell library of the end-to-end checks (tests/e2e) and the Windows checks (tests/windows):
# failure reporting, an X server of the check's own, time, processes, and finding and answering
# windows as a person would. Each helper has one contract, the same for both suites.
#
# Use: `source "$(dirname "$0")/../support/checks.sh"` (the suites' common.sh do so), then
# `need_display "$@"` before anything that needs a screen. CTest runs every check through
# tests/e2e/guard.sh, which bounds it in time and kills whatever it leaves behind.

# Prints the reason on standard error and ends the check with status 1.
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the calling script again (call as `need_display "$@"`) under an X server of its own, with a
# window manager when KS_E2E_WM names one (a desktop: boxes framed, focus and stacking managed);
# its screen is 1024x768, or KS_E2E_SCREEN (WIDTHxHEIGHT). Returns in the inner run only.
# The server picks its own free display number (-displayfd): checks that start at the same
# moment never share one, as they could when each guessed a free number itself. It never resets
# (-noreset): a server resets when its last client leaves, and SDL opens and closes a connection
# to probe for X before it opens its own, which could then come during the reset and fail.
need_display() {
  if [ -z "${KS_IN_XVFB:-}" ]; then
    local number status=0 server
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${KS_E2E_SCREEN:-1024x768}x24" -nolisten tcp -noreset 3>"$number" 2>/dev/null &
    server=$!
    for _ in $(seq 200); do [ -s "$number" ] && break; sleep 0.05; done
    [ -s "$number" ] || { kill "$server" 2>/dev/null; rm -f "$number"; fail "Xvfb did not start"; }
    KS_IN_XVFB=1 DISPLAY=":$(cat "$number")" "$0" "$@" || status=$?
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -f "$number"
    exit "$status"
  fi
  if [ -n "${KS_E2E_WM:-}" ]; then
    "$KS_E2E_WM" >/dev/null 2>&1 &
    for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && return 0; sleep 0.05; done
    fail "the window manager $KS_E2E_WM did not start"
  fi
}

# Milliseconds of the real-time clock; milliseconds since a `date +%s%N` reading $1.
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
elapsed_ms() { echo $((($(date +%s%N) - $1) / 1000000)); }

# Waits up to $2 seconds (in 20 ms steps) for process $1 to end and sets STATUS to its exit
# status; when it is still running then, kills it (SIGKILL) and sets STATUS to 999.
wait_exit() {
  local pid=$1 steps=$(( $2 * 50 ))
  for _ in $(seq "$steps"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
  if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; wait "$pid" 2>/dev/null; STATUS=999; return; fi
  wait "$pid"; STATUS=$?
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

# Gives window $1 the focus and presses the keys after it, one after another, as a person at the
# keyboard would.
press() {
  local window=$1
  shift
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers --delay 100 "$@"
}
