#!/usr/bin/env bash
# Runs one end-to-end check in a session of its own, bounded by a time limit. On timeout the
# whole session is killed. Afterwards every process the check started that is still alive
# (found by a token in its environment, so daemons that left the session are found too) is
# killed, and the check fails: no test may leave a process behind. What the programs it runs
# keep in a home directory (caches, settings: Mesa's shader cache, a window manager's, a
# browser's) goes to a directory of the check's own, removed afterwards, so that a test run
# leaves the home directory as it was; KS_SHADER_CACHE_DIR, where set, keeps Mesa's shader cache
# there instead (in the build directory), warm from one check to the next.
# Usage: guard.sh SECONDS COMMAND [ARGS...]
set -u
limit=$1
shift
token="guard-$$-$(date +%s%N)"
home=$(mktemp -d /tmp/ks-guard-XXXXXX)
trap 'rm -rf "$home"' EXIT
export XDG_CACHE_HOME=$home/cache XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_STATE_HOME=$home/state
export MESA_SHADER_CACHE_DIR=${KS_SHADER_CACHE_DIR:-$home/cache/mesa_shader_cache}

KS_E2E_TOKEN="$token" setsid "$@" &
pid=$!
status=
for _ in $(seq $((limit * 10))); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    status=$?
    break
  fi
  sleep 0.1
done
if [ -z "$status" ]; then
  echo "FAIL: still running after $limit s; ending its session" >&2
  pkill -TERM -s "$pid" 2>/dev/null
  sleep 1
  pkill -KILL -s "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  status=124
fi

# Whatever still carries the token was started by the check and outlived it.
sleep 0.2
left=$(grep -l -s -z -x "KS_E2E_TOKEN=$token" /proc/[0-9]*/environ | cut -d/ -f3)
if [ -n "$left" ]; then
  echo "FAIL: processes left behind by the check:" >&2
  for p in $left; do echo "  $p $(tr '\0' ' ' </proc/"$p"/cmdline 2>/dev/null)" >&2; done
  kill -KILL $left 2>/dev/null
  [ "$status" = 0 ] && status=1
fi
exit "$status"
