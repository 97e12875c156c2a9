#!/usr/bin/env bash
# Builds the two libraries the show links on Windows, libjpeg-turbo and libmpg123, as static
# libraries for mingw-w64, from Debian's own source packages of the archive this machine uses.
#
#   tools/windows/deps.sh DEPS_DIR ARCH      (ARCH: x86_64 or i686)
#
# Sources are fetched once into DEPS_DIR/src (the files `apt-get source` names; apt needs a
# deb-src entry, which ./setup.sh test adds: see debian-src.sh), built in DEPS_DIR/build/ARCH
# and installed to DEPS_DIR/ARCH (include/, lib/). A library already built from the same source with the same scripts is not
# built again; delete DEPS_DIR to start afresh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: $0 DEPS_DIR x86_64|i686" >&2; exit 2; }
mkdir -p "$1"
deps=$(cd "$1" && pwd)
arch=$2
case "$arch" in
  x86_64) mpg123_cpu=x86-64 ;;
  i686) mpg123_cpu=x86 ;;
  *) echo "deps: unknown architecture $arch (x86_64 or i686)" >&2; exit 2 ;;
esac
triple=$arch-w64-mingw32
toolchain=$here/mingw-w64-$arch.cmake
prefix=$deps/$arch
jobs=$(nproc)
say() { echo "deps: $*" >&2; }

for tool in "$triple-gcc-posix" "$triple-g++-posix" cmake make apt-get patch /usr/lib/apt/apt-helper; do
  command -v "$tool" >/dev/null || { say "$tool is missing (./setup.sh installs it)"; exit 1; }
done

# What a cached build was made with: the scripts that made it.
recipe=$(cat "$0" "$here/mingw-w64.cmake" "$toolchain" | sha256sum | cut -c1-16)

# Unpacks the source package whose files were fetched into the current directory: every file of
# the .dsc but the upstream signatures (*.asc) must be there and match the checksum in the .dsc;
# then Debian's patches are applied, as dpkg-source would.
unpack() {
  local dsc version upstream source dir orig name
  dsc=$(ls ./*.dsc 2>/dev/null | head -1)
  [ -n "$dsc" ] || { say "no .dsc was fetched"; return 1; }
  while read -r sum _ name; do
    case "$name" in *.asc) continue ;; esac
    [ -f "$name" ] || { say "$name was not fetched"; return 1; }
    echo "$sum  $name" | sha256sum -c --quiet - || { say "$name does not match its .dsc"; return 1; }
  done < <(sed -n '/^Checksums-Sha256:/,/^[A-Z]/{/^ /p}' "$dsc")
  source=$(sed -n 's/^Source: //p' "$dsc")
  version=$(sed -n 's/^Version: //p' "$dsc")
  upstream=${version#*:}
  upstream=${upstream%-*}
  dir=$source-$upstream
  orig=$(ls ./*.orig.tar.* | grep -v '\.asc$' | head -1)
  # (Called where errexit does not hold: every step checks its own result.)
  rm -rf "$dir" unpack && mkdir unpack || return 1
  tar -xf "$orig" -C unpack && mv unpack/* "$dir" && rmdir unpack || return 1
  tar -xf ./*.debian.tar.* -C "$dir" || return 1
  [ -f "$dir/debian/patches/series" ] || return 0
  for patch in $(sed -e 's/#.*//' -e 's/[[:space:]].*//' "$dir/debian/patches/series"); do
    patch -d "$dir" -p1 -s --no-backup-if-mismatch <"$dir/debian/patches/$patch" ||
      { say "Debian's patch $patch does not apply"; return 1; }
  done
}

# Prints the directory of the unpacked source package $1, fetching it the first time: each file
# `apt-get source --print-uris` names, checked against the archive's checksum, but the upstream
# signatures (*.asc), which the archive need not serve and which the checksums stand for.
source_dir() {
  local pkg=$1 fetch=$deps/src/$1 uri name size hash dir
  if [ -f "$fetch/.unpacked" ] && [ -d "$fetch/$(cat "$fetch/.unpacked")" ]; then
    echo "$fetch/$(cat "$fetch/.unpacked")"
    return
  fi
  "$here/debian-src.sh" "$pkg" >&2
  rm -rf "$fetch" && mkdir -p "$fetch"
  say "fetching Debian's source of $pkg"
  apt-get source --print-uris -qq "$pkg" >"$fetch/uris" 2>"$fetch/apt.log" ||
    { cat "$fetch/apt.log" >&2; say "apt knows no source package $pkg"; exit 1; }
  while read -r uri name size hash; do
    case "$name" in *.asc) continue ;; esac
    /usr/lib/apt/apt-helper -qq download-file "${uri//\'/}" "$fetch/$name" "$hash" >>"$fetch/apt.log" 2>&1 ||
      { grep -v unsandboxed "$fetch/apt.log" >&2; say "could not fetch $name"; exit 1; }
  done <"$fetch/uris"
  (cd "$fetch" && unpack) || { say "could not unpack $pkg"; exit 1; }
  dir=$(cd "$fetch" && find . -mindepth 1 -maxdepth 1 -type d ! -name unpack -printf '%f\n' | head -1)
  [ -n "$dir" ] || { say "no source directory for $pkg"; exit 1; }
  echo "$dir" >"$fetch/.unpacked"
  echo "$fetch/$dir"
}

# True when library $1 is installed in the prefix from source directory $2 by this recipe.
up_to_date() { [ "$(cat "$prefix/.$1" 2>/dev/null)" = "$(basename "$2") $recipe" ]; }
mark_built() { echo "$(basename "$2") $recipe" >"$prefix/.$1"; }

mkdir -p "$prefix/include" "$prefix/lib"

jpeg=$(source_dir libjpeg-turbo)
if up_to_date libjpeg "$jpeg"; then
  say "libjpeg-turbo for $arch: cached ($(basename "$jpeg"))"
else
  say "building $(basename "$jpeg") for $arch"
  build=$deps/build/$arch/libjpeg-turbo
  rm -rf "$build" && mkdir -p "$build"
  simd=0
  command -v nasm >/dev/null && simd=1
  cmake -S "$jpeg" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_SIMD=$simd >"$build.log" 2>&1 ||
    { tail -30 "$build.log" >&2; say "libjpeg-turbo: configuration failed ($build.log)"; exit 1; }
  cmake --build "$build" -j "$jobs" --target jpeg-static >>"$build.log" 2>&1 ||
    { tail -30 "$build.log" >&2; say "libjpeg-turbo: build failed ($build.log)"; exit 1; }
  cp "$build/libjpeg.a" "$prefix/lib/"
  cp "$build/jconfig.h" "$jpeg/jpeglib.h" "$jpeg/jmorecfg.h" "$jpeg/jerror.h" "$prefix/include/"
  mark_built libjpeg "$jpeg"
fi

mpg123=$(source_dir mpg123)
if up_to_date libmpg123 "$mpg123"; then
  say "libmpg123 for $arch: cached ($(basename "$mpg123"))"
else
  say "building $(basename "$mpg123") for $arch"
  build=$deps/build/$arch/mpg123
  rm -rf "$build" && mkdir -p "$build"
  # Only the decoding library: no output modules, no network streams.
  (cd "$build" && "$mpg123/configure" --host="$triple" CC="$triple-gcc-posix" --prefix="$prefix" \
    --enable-static --disable-shared --enable-modules=no --enable-network=no --with-cpu=$mpg123_cpu \
    --with-audio=dummy) >"$build.log" 2>&1 ||
    { tail -30 "$build.log" >&2; say "mpg123: configuration failed ($build.log)"; exit 1; }
  make -C "$build" -j "$jobs" src/libmpg123/libmpg123.la >>"$build.log" 2>&1 ||
    { tail -30 "$build.log" >&2; say "mpg123: build failed ($build.log)"; exit 1; }
  cp "$build/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
  cp "$build/src/libmpg123/mpg123.h" "$mpg123/src/libmpg123/fmt123.h" "$prefix/include/"
  mark_built libmpg123 "$mpg123"
fi
