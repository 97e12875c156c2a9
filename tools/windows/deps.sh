#!/usr/bin/env bash
# Builds the two libraries the show links on Windows, libjpeg-turbo and libmpg123, as static
# libraries for mingw-w64, from Debian's own source packages of the archive this machine uses.
#
#   tools/windows/deps.sh DEPS_DIR ARCH      (ARCH: x86_64 or i686)
#
# Sources are fetched once into DEPS_DIR/src, checked and unpacked with Debian's patches applied
# (tools/debian-source.sh), built in DEPS_DIR/build/ARCH and installed to DEPS_DIR/ARCH
# (include/, lib/). A library already built from the same source with the same scripts is not
# built again; delete DEPS_DIR to start afresh. KS_JOBS sets the build's parallel jobs (all
# cores by default).
# shellcheck disable=SC2034,SC2154  # target, recipe and src pass through tools/debian-source.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
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
target=" for $arch"
jobs=${KS_JOBS:-$(nproc)}

# shellcheck source=../debian-source.sh
. "$root/tools/debian-source.sh"
for tool in "$triple-gcc-posix" "$triple-g++-posix" cmake make; do
  command -v "$tool" >/dev/null || { say "$tool is missing (./setup.sh installs it)"; exit 1; }
done

# What a cached build was made with: the scripts that made it.
recipe=$(cat "$0" "$here/mingw-w64.cmake" "$toolchain" "$root/tools/debian-source.sh" | sha256sum | cut -c1-16)

mkdir -p "$prefix/include" "$prefix/lib"

build=$deps/build/$arch/libjpeg-turbo
if begin_build libjpeg libjpeg-turbo "$build" libjpeg-turbo; then
  simd=0
  command -v nasm >/dev/null && simd=1
  logged "$build.log" "libjpeg-turbo: configuration" cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=0 -DENABLE_STATIC=1 \
    -DWITH_TURBOJPEG=0 -DWITH_SIMD=$simd
  logged "$build.log" "libjpeg-turbo: build" cmake --build "$build" -j "$jobs" --target jpeg-static
  cp "$build/libjpeg.a" "$prefix/lib/"
  cp "$build/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/"
  mark_built libjpeg
fi

build=$deps/build/$arch/mpg123
if begin_build libmpg123 mpg123 "$build" libmpg123; then
  # Only the decoding library: no output modules, no network streams.
  (cd "$build" && logged "$build.log" "mpg123: configuration" "$src/configure" --host="$triple" \
    CC="$triple-gcc-posix" --prefix="$prefix" --enable-static --disable-shared --enable-modules=no \
    --enable-network=no --with-cpu=$mpg123_cpu --with-audio=dummy)
  logged "$build.log" "mpg123: build" make -C "$build" -j "$jobs" src/libmpg123/libmpg123.la
  cp "$build/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
  cp "$build/src/libmpg123/mpg123.h" "$src/src/libmpg123/fmt123.h" "$prefix/include/"
  mark_built libmpg123
fi
