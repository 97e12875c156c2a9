#!/usr/bin/env bash
# Makes Debian's source packages reachable for `apt-get source`: when apt has no deb-src entry,
# writes a deb-src twin of every Debian archive entry this machine already uses (same URIs,
# suites and components) to /etc/apt/sources.list.d/kelvo-strand-src.sources and updates the
# lists. Needs root (sudo is used when not root). Does nothing when sources are reachable.
set -euo pipefail

probe=${1:-mpg123}
if apt-get source --print-uris -qq "$probe" >/dev/null 2>&1; then exit 0; fi

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
echo "debian-src: adding deb-src entries for the Debian archive in use ($twin)" >&2
[ -z "$entries" ] || printf '%s\n' "$entries" | $sudo tee "$twin" >/dev/null
[ -z "$legacy" ] || printf '%s\n' "$legacy" | $sudo tee /etc/apt/sources.list.d/kelvo-strand-src.list >/dev/null
$sudo apt-get update -qq
apt-get source --print-uris -qq "$probe" >/dev/null || {
  echo "debian-src: source packages still unreachable after adding deb-src entries" >&2
  exit 1
}
