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

# How far a live run really got, read from its clock trace: the program, started with
# KS_CLOCK_TRACE=1, writes "clock: music M s at R s, frame F" to standard error at the first
# frame of each whole second of music (M the music position it read, R the real time since its
# first reading, F the frames it has drawn). Its standard error is in $CLOCK_TRACE ($WORK/stderr
# unless set). A busy machine draws fewer frames, each advancing the show's motion one step, so
# the checks judge a picture by the frames drawn, and the clock by the trace alone.
clock_lines() { grep -c '^clock: music' "${CLOCK_TRACE:-$WORK/stderr}"; }
# The trace's line $1 (1 = the first, default the last) as "M R F".
clock_line() {
  grep '^clock: music' "${CLOCK_TRACE:-$WORK/stderr}" | sed -n "${1:-\$}p" | awk '{print $3, $6, $9}'
}
# Waits up to $1 seconds (default 90) for the music to start, as the trace's first line says
# (no picture is grabbed meanwhile, which costs a busy machine dearly). Fails when the program
# ends or the music never starts. PID names the program (under Wine: the wine process).
wait_music_start() {
  local steps=$(( ${1:-90} * 20 ))
  for _ in $(seq "$steps"); do
    [ "$(clock_lines)" -gt 0 ] && return
    kill -0 "$PID" 2>/dev/null || { cat "${CLOCK_TRACE:-$WORK/stderr}" >&2; fail "the show ended before its music started"; }
    sleep 0.05
  done
  cat "${CLOCK_TRACE:-$WORK/stderr}" >&2
  fail "the music did not start within ${1:-90} s"
}
# Waits until the program has read a music position of at least $1 seconds (a whole number),
# by its trace; fails when it ends first or its clock has not got there in twice the time.
wait_music() {
  local until=$(( $(date +%s) + 2 * $1 + 10 )) music
  while :; do
    music=$(clock_line | cut -d' ' -f1)
    is "${music:-0}" ">=" "$1" && return
    kill -0 "$PID" 2>/dev/null || { cat "${CLOCK_TRACE:-$WORK/stderr}" >&2; fail "the show ended before $1 s of music"; }
    [ "$(date +%s)" -lt "$until" ] || fail "the music did not reach $1 s (its clock read ${music:-nothing})"
    sleep 0.05
  done
}
# The frames drawn and the music played around a moment: `drawn_since_mark` before it sets
# DRAWN_FROM and MUSIC_FROM from the trace's last line (bounds below), `drawn_until_mark` after
# it sets DRAWN_TO and MUSIC_TO from the first line written after it (bounds above; waited for
# up to 5 s).
drawn_since_mark() {
  MARK_LINES=$(clock_lines)
  [ "$MARK_LINES" -gt 0 ] || fail "no clock trace yet (the music has not started)"
  read -r MUSIC_FROM _ DRAWN_FROM <<<"$(clock_line "$MARK_LINES")"
}
drawn_until_mark() {
  local lines
  lines=$(clock_lines)
  for _ in $(seq 100); do [ "$(clock_lines)" -gt "$lines" ] && break; sleep 0.05; done
  [ "$(clock_lines)" -gt "$lines" ] || fail "the clock trace stopped: no frame read a new second of music within 5 s"
  read -r MUSIC_TO _ DRAWN_TO <<<"$(clock_line $((lines + 1)))"
}
# The music kept real time: it reached at least $1 s, and from the trace's first line to its
# last it advanced as much as real time did, within 10 % (the silent output counts real time;
# a device plays at its own rate). Prints the measures.
clock_kept_time() {
  local first last
  first=$(clock_line 1) last=$(clock_line)
  echo "clock: from music $(cut -d' ' -f1 <<<"$first") s to $(cut -d' ' -f1 <<<"$last") s in" \
    "$(awk '{print $2}' <<<"$last") s of real time, $(awk '{print $3}' <<<"$last") frames drawn"
  awk -v a="$first" -v b="$last" -v reached="$1" 'BEGIN { split(a, x, " "); split(b, y, " ")
      music = y[1] - x[1]; real = y[2] - x[2]
      exit !(y[1] >= reached && real > 0 && music / real >= 0.9 && music / real <= 1.1) }'
}
