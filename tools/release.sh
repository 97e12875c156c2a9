#!/usr/bin/env bash
# Makes a release: every file a person needs to play the show, with their checksums.
#
#   tools/release.sh VERSION [--out DIR] [--windows-build-dir DIR] [--web-build-dir DIR]
#
# Writes into DIR (dist/ in the source tree by default):
#   kelvo-strand_VERSION_amd64.deb                the Debian/Ubuntu package (apt-get install ./FILE)
#   kelvo-strand-VERSION-linux-x86_64.tar.gz      the same tree to unpack anywhere: bin/kelvo-strand
#                                                 finds share/kelvo-strand/data beside it
#   kelvo-strand-VERSION-windows-x86_64.zip       the Windows program with its data folder
#   kelvo-strand-VERSION-windows-i686.zip         the same for 32-bit Windows, where the i686
#                                                 cross compiler is installed
#   kelvo-strand-VERSION-web.zip                  the web page (kelvo-strand-web/index.html and
#                                                 what it loads) to serve from any web server
#   SHA256SUMS                                    their checksums (sha256sum -c SHA256SUMS)
# VERSION (e.g. 1.0.0) is stamped into --help, the packages, the Windows version resource and the
# page. The Linux program is built afresh in build-release/; the Windows one by
# tools/windows/build.sh (its dependencies cached in the Windows build directory, build-windows/
# by default); the page by tools/web/build.sh (its dependencies cached in the web build
# directory, build-web/ by default), both from the Linux build's data. Every
# one of them is made or the release fails: it needs ./setup.sh test's packages (mingw-w64,
# dpkg-dev, Emscripten).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '4p' "$0" | sed 's/^#   /usage: /' >&2; exit 2; }
[ $# -ge 1 ] || usage
version=$1
shift
out=$root/dist
windows=$root/build-windows
web=$root/build-web
while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --windows-build-dir) [ $# -ge 2 ] || usage; windows=$2; shift 2 ;;
    --web-build-dir) [ $# -ge 2 ] || usage; web=$2; shift 2 ;;
    *) echo "release.sh: unknown argument $1" >&2; usage ;;
  esac
done
# A Debian upstream version: a digit first, then letters, digits and . + ~ -
[[ "$version" =~ ^[0-9][A-Za-z0-9.+~-]*$ ]] || { echo "release.sh: $version is not a version (e.g. 1.0.0)" >&2; exit 2; }
say() { echo "release.sh: $*" >&2; }
started=$(date +%s)
# The page needs Emscripten: said before anything is built, not after minutes of it.
command -v emcc >/dev/null || { say "emcc is missing, so the web page cannot be made (./setup.sh test installs emscripten)"; exit 1; }
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  say "note: the working tree has uncommitted changes; they are in this release"
fi

# Linux: the program, its data, icon and manual page, packed by cpack as a .deb and a tarball.
build=$root/build-release
rm -rf "$build"
mkdir -p "$build"
say "building $version for Linux in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKS_BUILD_TESTS=OFF -DKS_VERSION="$version" \
  -DCMAKE_INSTALL_PREFIX=/usr >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)"
[ "$("$build/kelvo-strand" --version)" = "kelvo-strand $version" ] || { say "--version does not say $version"; exit 1; }
(cd "$build" && cpack -G "DEB;TGZ" -B "$build/packages" >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }

# Windows: x86-64, and i686 where its compiler is installed; each program must carry its
# version resource and its manifest.
check_resources() {  # EXE
  local dump
  dump=$("$1-objdump" -p "$2" 2>/dev/null) || { say "cannot read $2"; return 1; }
  grep -Eq '^[0-9a-f]+   Entry: ID: 0x0+10,' <<<"$dump" || { say "$2 has no version resource"; return 1; }
  grep -Eq '^[0-9a-f]+   Entry: ID: 0x0+18,' <<<"$dump" || { say "$2 has no manifest"; return 1; }
}
arches=(x86_64)
command -v i686-w64-mingw32-g++-posix >/dev/null && arches+=(i686)
for arch in "${arches[@]}"; do
  "$root/tools/windows/build.sh" --arch "$arch" --build-dir "$windows" --data "$build/data" --version "$version"
  check_resources "$arch-w64-mingw32" "$windows/$arch/kelvo-strand.exe"
done

# The web page, with the same version.
"$root/tools/web/build.sh" --version "$version" --build-dir "$web" --data "$build/data"
web_zip=$web/kelvo-strand-web.zip
[ -s "$web_zip" ] || { say "tools/web/build.sh wrote no $web_zip"; exit 1; }

mkdir -p "$out"
files=()
deb=kelvo-strand_${version}_amd64.deb
tarball=kelvo-strand-$version-linux-x86_64.tar.gz
cp "$build/packages/$deb" "$out/$deb"
cp "$build/packages/$tarball" "$out/$tarball"
files+=("$deb" "$tarball")
for arch in "${arches[@]}"; do
  zip=kelvo-strand-$version-windows-$arch.zip
  cp "$windows/kelvo-strand-windows-$arch.zip" "$out/$zip"
  files+=("$zip")
done
cp "$web_zip" "$out/kelvo-strand-$version-web.zip"
files+=("kelvo-strand-$version-web.zip")
(cd "$out" && sha256sum "${files[@]}" >SHA256SUMS)
say "wrote into $out in $(($(date +%s) - started)) s:"
(cd "$out" && ls -l "${files[@]}" SHA256SUMS | awk '{printf "  %-48s %10d bytes\n", $9, $5}') >&2
