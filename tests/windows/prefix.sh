#!/usr/bin/env bash
# Makes the Wine prefix the Windows checks run in: WINE_DIR/prefix, 64-bit, initialised once
# and kept (a later run finds it ready). "Times New Roman", which the show asks for, is not on
# a Debian machine: the prefix maps it to Liberation Serif, the face the Linux build matches.
#   prefix.sh WINE_DIR
set -u
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
source "$(dirname "$0")/../support/checks.sh"
[ $# -eq 1 ] || fail "usage: $0 WINE_DIR"
for tool in "$WINE" "$WINESERVER"; do [ -x "$tool" ] || fail "$tool is missing (./setup.sh installs wine64)"; done
fc-list | grep -q 'Liberation Serif' || fail "Liberation Serif is not installed (./setup.sh installs fonts-liberation)"
mkdir -p "$1"
export WINEPREFIX="$(cd "$1" && pwd)/prefix"
export WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko downloads, no menu entries in the home directory; no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
if [ -f "$WINEPREFIX/.ks-ready" ]; then
  echo "Wine prefix ready at $WINEPREFIX"
  exit 0
fi
rm -rf "$WINEPREFIX"
start=$(date +%s%N)
# Bounded: wineboot never waits for a person, but a broken Wine must not hang the suite.
ok=1
timeout -k 5 240 "$WINE" wineboot -i >"$1/wineboot.log" 2>&1 || ok=0
[ $ok = 1 ] && timeout -k 5 60 "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
  /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f >>"$1/wineboot.log" 2>&1 || ok=0
timeout 60 "$WINESERVER" -w || "$WINESERVER" -k
[ $ok = 1 ] || { cat "$1/wineboot.log" >&2; fail "the Wine prefix could not be made"; }
grep -q '"Times New Roman"="Liberation Serif"' "$WINEPREFIX/user.reg" || fail "the font replacement is not in the prefix"
touch "$WINEPREFIX/.ks-ready"
echo "Wine prefix made at $WINEPREFIX in $((($(date +%s%N) - start) / 1000000)) ms"
