#!/usr/bin/env bash
# Builds the libraries the show links in the browser as static WebAssembly libraries with
# Debian's Emscripten, from Debian's own source packages of the archive this machine uses:
# libjpeg-turbo (without SIMD), libmpg123 (the decoder alone), FreeType (TrueType outlines; no
# zlib, PNG, bzip2, HarfBuzz or Brotli) and GLU (its C part: quadrics, mipmaps, projection and
# the tessellator; not the NURBS code).
#
#   tools/web/deps.sh DEPS_DIR
#
# Sources are fetched once into DEPS_DIR/src, checked and unpacked with Debian's patches applied
# (tools/debian-source.sh). Libraries are built in DEPS_DIR/build and installed to DEPS_DIR
# (include/, lib/, share/licenses/). A library already built from the same source with the same
# scripts and Emscripten is not built again; delete DEPS_DIR to start afresh.
# shellcheck disable=SC2034,SC2154  # target, recipe and src pass through tools/debian-source.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 DEPS_DIR" >&2; exit 2; }
mkdir -p "$1"
deps=$(cd "$1" && pwd)
prefix=$deps
target=""
jobs=${KS_JOBS:-2}

# shellcheck source=emscripten-env.sh
. "$here/emscripten-env.sh"
# shellcheck source=../debian-source.sh
. "$root/tools/debian-source.sh"
for tool in cmake make; do
  command -v "$tool" >/dev/null || { say "$tool is missing (./setup.sh installs it)"; exit 1; }
done

# What a cached build was made with: the scripts that made it and the compiler.
recipe=$( { cat "$0" "$here/emscripten-env.sh" "$root/tools/debian-source.sh"; emcc --version 2>/dev/null | head -1; } |
  sha256sum | cut -c1-16)

# Copies the licence notices of library $1 from source directory $2 (further arguments: its
# upstream licence files) into share/licenses/$1, with Debian's copyright file.
licences() {
  local name=$1 src=$2 file
  shift 2
  rm -rf "$prefix/share/licenses/$name" && mkdir -p "$prefix/share/licenses/$name"
  [ ! -f "$src/debian/copyright" ] || cp "$src/debian/copyright" "$prefix/share/licenses/$name/copyright"
  for file in "$@"; do cp "$src/$file" "$prefix/share/licenses/$name/"; done
}
emcmake_configure() {
  emcmake cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$KS_EMULATOR" "$@"
}

mkdir -p "$prefix/include" "$prefix/lib"

build=$deps/build/libjpeg-turbo
if begin_build libjpeg libjpeg-turbo "$build" libjpeg-turbo; then
  logged "$build.log" "libjpeg-turbo: configuration" emcmake_configure -S "$src" -B "$build" \
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_SIMD=0
  logged "$build.log" "libjpeg-turbo: build" cmake --build "$build" -j "$jobs" --target jpeg-static
  cp "$build/libjpeg.a" "$prefix/lib/"
  cp "$build/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/"
  licences libjpeg-turbo "$src" LICENSE.md README.ijg
  mark_built libjpeg
fi

build=$deps/build/mpg123
if begin_build libmpg123 mpg123 "$build" libmpg123; then
  # Only the decoding library, with the portable floating-point decoder: no output modules,
  # no network streams. (Its config.sub predates Emscripten's name: wasm32 is the host.)
  (cd "$build" && logged "$build.log" "mpg123: configuration" emconfigure "$src/configure" \
    --host=wasm32 --prefix="$prefix" --enable-static --disable-shared --enable-modules=no \
    --enable-network=no --with-cpu=generic_fpu --with-audio=dummy)
  logged "$build.log" "mpg123: build" emmake make -C "$build" -j "$jobs" src/libmpg123/libmpg123.la
  cp "$build/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
  cp "$build/src/libmpg123/mpg123.h" "$src/src/libmpg123/fmt123.h" "$prefix/include/"
  licences mpg123 "$src" COPYING
  mark_built libmpg123
fi

build=$deps/build/freetype
if begin_build libfreetype freetype "$build" FreeType; then
  rm -rf "$prefix/include/freetype2"
  # The show reads one TrueType font file: none of the optional libraries is needed.
  logged "$build.log" "FreeType: configuration" emcmake_configure -S "$src" -B "$build" \
    -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  logged "$build.log" "FreeType: build" cmake --build "$build" -j "$jobs"
  logged "$build.log" "FreeType: install" cmake --install "$build"
  licences freetype "$src" LICENSE.TXT docs/FTL.TXT
  mark_built libfreetype
fi

# The upstream tarball alone: Debian's 1.0 diff holds its packaging (debian/), which this
# build does not use, and the archive here does not serve it.
build=$deps/build/glu
if begin_build libGLU libglu "$build" GLU '*.diff.gz'; then
  # The C half of the library, as its own build lists it (priorityq-heap.c is included by
  # priorityq.c); the GL calls it makes are served by the platform layer's GL at link time.
  objects=()
  for file in "$src"/src/libutil/*.c "$src"/src/libtess/*.c; do
    [ "$(basename "$file")" = priorityq-heap.c ] && continue
    object=$build/$(basename "$(dirname "$file")")-$(basename "$file" .c).o
    logged "$build.log" "GLU: compiling $(basename "$file")" emcc -O2 -DLIBRARYBUILD \
      -I"$src/include" -I"$src/src/include" -c "$file" -o "$object"
    objects+=("$object")
  done
  rm -f "$prefix/lib/libGLU.a"
  logged "$build.log" "GLU: archive" emar rcs "$prefix/lib/libGLU.a" "${objects[@]}"
  mkdir -p "$prefix/include/GL"
  cp "$src/include/GL/glu.h" "$prefix/include/GL/"
  # Its licence is the one every source file opens with.
  licences glu "$src"
  sed -n '2,/\*\//{/\*\//d;s/^ \* \{0,1\}//;s/^ \*$//;p}' "$src/include/GL/glu.h" >"$prefix/share/licenses/glu/LICENSE"
  mark_built libGLU
fi
