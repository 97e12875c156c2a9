#!/usr/bin/env bash
# Makes Debian's source packages reachable for `apt-get source`, which the Windows and web builds
# fetch their libraries' sources with.
#
#   debian-src.sh [PACKAGE]        fails, saying what to run, when apt cannot fetch PACKAGE's
#                                  source (mpg123 by default); changes nothing
#   debian-src.sh --add [PACKAGE]  when apt cannot, writes a deb-src twin of every Debian archive
#                                  entry this machine already uses (same URIs, suites and
#                                  components) to /etc/apt/sources.list.d/kelvo-strand-src.sources
#                                  and updates apt's lists (root, or sudo); ./setup.sh test runs it
set -euo pipefail

add=false
if [ "${1:-}" = --add ]; then add=true; shift; fi
probe=${1:-mpg123}
if apt-get source --print-uris -qq "$probe" >/dev/null 2>&1; then exit 0; fi
if ! $add; then
  echo "debian-src: apt cannot fetch Debian's source of $probe (no deb-src entry); ./setup.sh test adds one" >&2
  exit 1
fi

twin=/etc/apt/sources.list.d/kelvo-strand-src.sources
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

entries=$(
  # deb822 files: every stanza whose Types has "deb" but not "deb-src" and whose URIs name a
  # Debian archive, copied with Types: deb-src.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$twin" ] || continue
    awk 'BEGIN { RS = ""; ORS = "" }
      {
        n = split($0, lines, "\n"); out = ""; deb = 0; src = 0; debian = 0; off = 0
        for (i = 1; i <= n; i++) {
          l = lines[i]
          if (l ~ /^Types:/) {
            m = split(substr(l, 7), t, /[ \t]+/)
            for (j = 1; j <= m; j++) { if (t[j] == "deb") deb = 1; if (t[j] == "deb-src") src = 1 }
            l = "Types: deb-src"
          }
          if (l ~ /^URIs:/ && l ~ /debian/) debian = 1
          if (l ~ /^Enabled:[ \t]*no/) off = 1
          out = out l "\n"
        }
        if (deb && !src && debian && !off) print out "\n"
      }' "$f"
  done
)
# One-line format (sources.list and *.list files).
legacy=$(for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^[[:space:]]*deb\([[:space:]]\+[^#]*debian.*\)$/deb-src\1/p' "$f"
done || true)

if [ -z "$entries" ] && [ -z "$legacy" ]; then
  echo "debian-src: no Debian archive entry in /etc/apt to make a deb-src twin of" >&2
  exit 1
fi
echo "setup: adding deb-src entries for the Debian archive in use to $twin (the Windows and web builds fetch Debian's sources) and updating apt's lists" >&2
[ -z "$entries" ] || printf '%s\n' "$entries" | $sudo tee "$twin" >/dev/null
[ -z "$legacy" ] || printf '%s\n' "$legacy" | $sudo tee /etc/apt/sources.list.d/kelvo-strand-src.list >/dev/null
$sudo apt-get update -qq
apt-get source --print-uris -qq "$probe" >/dev/null || {
  echo "debian-src: source packages still unreachable after adding deb-src entries" >&2
  exit 1
}
