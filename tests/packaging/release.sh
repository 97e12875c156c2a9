#!/usr/bin/env bash
# The release command, run on a clean clone of the repository's committed state, writes every
# file it promises, their checksums pass `sha256sum -c`, and the version is in each: the .deb's
# control field, the tarball's program (--version), the Windows program's version resource.
#   release.sh SOURCE_DIR WINDOWS_BUILD_DIR WEB_BUILD_DIR
# The Windows dependencies built by the suite (WINDOWS_BUILD_DIR/deps) and the web page's
# (WEB_BUILD_DIR/deps, where the web checks built them) are reused, not rebuilt.
# A release that succeeds prints no error line (none starting with "E:").
set -u
src=$1
windeps=$2/deps
webdeps=${3:-}/deps
here=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d /tmp/ks-release-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
version=9.8.7
[ -d "$windeps" ] || fail "no Windows dependencies in $windeps (the windows.build test makes them)"

git clone -q --no-hardlinks "$src" "$WORK/clone" || fail "cannot clone $src"
mkdir -p "$WORK/windows"
ln -s "$windeps" "$WORK/windows/deps"
mkdir -p "$WORK/web"
[ ! -d "$webdeps" ] || ln -s "$webdeps" "$WORK/web/deps"
(cd "$WORK/clone" && nice tools/release.sh "$version" --windows-build-dir "$WORK/windows" --web-build-dir "$WORK/web" >"$WORK/release.log" 2>&1) ||
  { grep -v '^\[' "$WORK/release.log" | tail -60 >&2; fail "tools/release.sh failed"; }  # its messages, not the builds' progress
dist=$WORK/clone/dist
errors=$(grep '^E:' "$WORK/release.log") && fail "the release succeeded with error lines: $errors"

expected=("kelvo-strand_${version}_amd64.deb" "kelvo-strand-$version-linux-x86_64.tar.gz"
  "kelvo-strand-$version-windows-x86_64.zip" "kelvo-strand-$version-web.zip" SHA256SUMS)
command -v i686-w64-mingw32-g++-posix >/dev/null && expected+=("kelvo-strand-$version-windows-i686.zip")
for f in "${expected[@]}"; do [ -s "$dist/$f" ] || fail "the release lacks $f"; done
[ "$(ls "$dist" | wc -l)" = "${#expected[@]}" ] || fail "the release holds other files: $(ls "$dist")"
(cd "$dist" && sha256sum -c --quiet SHA256SUMS) || fail "sha256sum -c fails"
[ "$(wc -l <"$dist/SHA256SUMS")" = $((${#expected[@]} - 1)) ] || fail "SHA256SUMS does not list every file"

[ "$(dpkg-deb -f "$dist/kelvo-strand_${version}_amd64.deb" Version)" = "$version" ] || fail "the .deb's version is not $version"
tar -xzf "$dist/kelvo-strand-$version-linux-x86_64.tar.gz" -C "$WORK" || fail "the tarball does not unpack"
top=$WORK/kelvo-strand-$version-linux-x86_64
[ "$("$top/bin/kelvo-strand" --version)" = "kelvo-strand $version" ] || fail "the tarball's program is not $version"
[ -f "$top/share/kelvo-strand/data/compilation.mp3" ] || fail "the tarball has no data"
# Unpacked anywhere, the tarball's program finds its data: one frame from another directory.
mkdir -p "$WORK/elsewhere"
(cd "$WORK/elsewhere" && timeout 60 "$top/bin/kelvo-strand" --capture frames --at 1 2>"$WORK/run.log") ||
  { cat "$WORK/run.log" >&2; fail "the tarball's program does not play from another directory"; }
[ -f "$WORK/elsewhere/frames/frame-00025.png" ] || fail "the tarball's program wrote no frame"
"$here/windows_resources.sh" "$dist/kelvo-strand-$version-windows-x86_64.zip" "$version" || fail "the zip's program"
# The page: one top folder with the page and what it loads, the version stamped in.
web=$dist/kelvo-strand-$version-web.zip
for f in index.html kelvo-strand.js kelvo-strand.wasm; do
  unzip -l "$web" "kelvo-strand-web/$f" >/dev/null 2>&1 || fail "the web zip lacks kelvo-strand-web/$f"
done
[ -z "$(unzip -Z1 "$web" | grep -v '^kelvo-strand-web/')" ] || fail "the web zip has files outside kelvo-strand-web/"
unzip -p "$web" 'kelvo-strand-web/kelvo-strand.*' | grep -qaF "$version" || fail "the page does not carry $version"
ls -l "$dist" | awk 'NR > 1 {printf "  %-48s %10d bytes\n", $9, $5}'
echo PASS
