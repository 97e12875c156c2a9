#!/usr/bin/env bash
# The Windows program in the zip carries its version resource (with the release in it) and the
# manifest that declares it DPI-aware, per monitor where Windows supports that.
#   windows_resources.sh ZIP [VERSION]
set -u
zip=$1
version=${2:-}
WORK=$(mktemp -d /tmp/ks-winres-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
objdump=x86_64-w64-mingw32-objdump
command -v $objdump >/dev/null || fail "$objdump is missing (./test.sh installs mingw-w64)"

unzip -q "$zip" kelvo-strand/kelvo-strand.exe -d "$WORK" || fail "no kelvo-strand/kelvo-strand.exe in $zip"
exe=$WORK/kelvo-strand/kelvo-strand.exe
dump=$($objdump -p "$exe") || fail "objdump cannot read the program"
grep -Eq '^[0-9a-f]+   Entry: ID: 0x0+10,' <<<"$dump" || fail "no version resource (type 16)"
grep -Eq '^[0-9a-f]+   Entry: ID: 0x0+18,' <<<"$dump" || fail "no manifest resource (type 24)"

# (Resource types at the top of the directory: 16 is the version, 24 the manifest.)
# The texts themselves: the version strings are UTF-16, the manifest plain XML.
strings16=$(strings -e l -n 3 "$exe")
grep -qx 'Kelvo Strand' <<<"$strings16" || fail "the version resource has no product name"
if [ -n "$version" ]; then
  grep -qx "$version" <<<"$strings16" || fail "the version resource does not hold $version"
fi
manifest=$(strings -n 8 "$exe" | sed -n '/<assembly/,/<\/assembly>/p')
grep -q '<dpiAware[^>]*>true/pm</dpiAware>' <<<"$manifest" || fail "the manifest does not declare per-monitor DPI awareness"
grep -q '<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>' <<<"$manifest" || fail "the manifest lacks dpiAwareness"
echo "version resource${version:+ ($version)} and DPI-aware manifest present"
echo PASS
