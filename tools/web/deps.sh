#!/usr/bin/env bash
# Builds the libraries the show links in the browser as static WebAssembly libraries with
# Debian's Emscripten, from Debian's own source packages of the archive this machine uses:
# libjpeg-turbo (without SIMD), libmpg123 (the decoder alone), FreeType (TrueType outlines; no
# zlib, PNG, bzip2, HarfBuzz or Brotli) and GLU (its C part: quadrics, mipmaps, projection and
# the tessellator; not the NURBS code).
#
#   tools/web/deps.sh DEPS_DIR
#
# Sources are fetched once into DEPS_DIR/src (through apt's deb-src entry, which ./setup.sh test
# adds: see tools/windows/debian-src.sh): the files that `apt-get source --print-uris` names,
# each checked against the checksum of the archive's signed index, but not the upstream
# signatures (*.asc, which the archive need not serve); then Debian's patches are applied. Libraries are built in DEPS_DIR/build and
# installed to DEPS_DIR (include/, lib/, share/licenses/). A library already built from the same
# source with the same scripts and Emscripten is not built again; delete DEPS_DIR to start afresh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 DEPS_DIR" >&2; exit 2; }
mkdir -p "$1"
deps=$(cd "$1" && pwd)
prefix=$deps
jobs=${KS_JOBS:-2}
say() { echo "deps: $*" >&2; }

# shellcheck source=emscripten-env.sh
. "$here/emscripten-env.sh"
for tool in cmake make apt-get patch tar; do
  command -v "$tool" >/dev/null || { say "$tool is missing (./setup.sh installs it)"; exit 1; }
done
[ -x /usr/lib/apt/apt-helper ] || { say "apt's apt-helper is missing"; exit 1; }

# What a cached build was made with: the scripts that made it and the compiler.
recipe=$( { cat "$0" "$here/emscripten-env.sh"; emcc --version 2>/dev/null | head -1; } | sha256sum | cut -c1-16)

# Unpacks the source package whose .dsc is in the current directory into the directory it
# names on standard output: the upstream tarball, then Debian's changes (a 1.0 diff, or a 3.0
# debian tarball whose patch series is applied as dpkg-source would).
unpack() {
  local dsc format source version upstream dir orig patch level component name
  dsc=$(ls ./*.dsc)
  format=$(sed -n 's/^Format: //p' "$dsc")
  source=$(sed -n 's/^Source: //p' "$dsc")
  version=$(sed -n 's/^Version: //p' "$dsc")
  upstream=${version#*:}
  [ "$format" = "3.0 (native)" ] || upstream=${upstream%-*}
  dir=$source-$upstream
  orig=$(ls ./*.orig.tar.* ./*_"$upstream".tar.* 2>/dev/null | grep -v '\.asc$' | head -1)
  [ -n "$orig" ] || { say "$source: no upstream tarball"; return 1; }
  # (Called where errexit does not hold: every step checks its own result.)
  rm -rf "$dir" unpack && mkdir unpack || return 1
  tar -xf "$orig" -C unpack || return 1
  # One top folder (the usual case) becomes the source directory; loose files go into it.
  if [ "$(ls -A unpack | wc -l)" -eq 1 ] && [ -d "unpack/$(ls -A unpack)" ]; then
    mv "unpack/$(ls -A unpack)" "$dir" && rmdir unpack || return 1
  else
    mv unpack "$dir" || return 1
  fi
  case "$format" in
    "1.0")
      if ls ./*.diff.gz >/dev/null 2>&1; then
        zcat ./*.diff.gz | patch -d "$dir" -p1 -s --no-backup-if-mismatch ||
          { say "$source: Debian's diff does not apply"; return 1; }
      fi ;;
    "3.0 (quilt)")
      # Extra upstream tarballs (orig-COMPONENT) unpack into a folder of that name, as
      # Debian's patches expect.
      for component in ./*.orig-*.tar.*; do
        [ -f "$component" ] || continue
        case "$component" in *.asc) continue ;; esac
        name=${component##*.orig-}
        name=${name%%.tar.*}
        rm -rf unpack && mkdir unpack && tar -xf "$component" -C unpack || return 1
        if [ "$(ls -A unpack | wc -l)" -eq 1 ] && [ -d "unpack/$(ls -A unpack)" ]; then
          mv "unpack/$(ls -A unpack)" "$dir/$name" && rmdir unpack || return 1
        else
          mv unpack "$dir/$name" || return 1
        fi
      done
      tar -xf ./*.debian.tar.* -C "$dir" || return 1
      if [ -f "$dir/debian/patches/series" ]; then
        while read -r patch level; do
          patch -d "$dir" "${level:--p1}" -s --no-backup-if-mismatch <"$dir/debian/patches/$patch" ||
            { say "$source: Debian's patch $patch does not apply"; return 1; }
        done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$dir/debian/patches/series")
      fi ;;
    "3.0 (native)") ;;
    *) say "$source: source format $format is not known here"; return 1 ;;
  esac
  echo "$dir"
}

# Prints the directory of the unpacked source package $1, fetching it the first time; files
# matching the pattern $2 are not fetched.
source_dir() {
  local pkg=$1 skip=${2:-} fetch=$deps/src/$1 uri name size hash dir
  if [ -f "$fetch/.unpacked" ] && [ -d "$fetch/$(cat "$fetch/.unpacked")" ]; then
    echo "$fetch/$(cat "$fetch/.unpacked")"
    return
  fi
  "$root/tools/windows/debian-src.sh" "$pkg" >&2
  rm -rf "$fetch" && mkdir -p "$fetch"
  say "fetching Debian's source of $pkg"
  apt-get source --print-uris -qq "$pkg" >"$fetch/uris" 2>"$fetch/apt.log" ||
    { cat "$fetch/apt.log" >&2; say "apt knows no source package $pkg"; exit 1; }
  while read -r uri name size hash; do
    case "$name" in
      *.asc) continue ;;  # upstream signatures: the checksums stand for them
    esac
    # shellcheck disable=SC2254
    [ -n "$skip" ] && case "$name" in $skip) continue ;; esac
    /usr/lib/apt/apt-helper -qq download-file "${uri//\'/}" "$fetch/$name" "$hash" >>"$fetch/apt.log" 2>&1 ||
      { grep -v unsandboxed "$fetch/apt.log" >&2; say "could not fetch $name"; exit 1; }
  done <"$fetch/uris"
  dir=$(cd "$fetch" && unpack) || { say "could not unpack $pkg"; exit 1; }
  echo "$dir" >"$fetch/.unpacked"
  echo "$fetch/$dir"
}

# True when library $1 is installed in the prefix from source directory $2 by this recipe.
up_to_date() { [ "$(cat "$prefix/.$1" 2>/dev/null)" = "$(basename "$2") $recipe" ]; }
mark_built() { echo "$(basename "$2") $recipe" >"$prefix/.$1"; }
# Runs a build step with its output in the log $1, which is shown when the step fails.
logged() {
  local log=$1 what=$2
  shift 2
  "$@" >>"$log" 2>&1 || { tail -30 "$log" >&2; say "$what failed ($log)"; exit 1; }
}
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

jpeg=$(source_dir libjpeg-turbo)
if up_to_date libjpeg "$jpeg"; then
  say "libjpeg-turbo: cached ($(basename "$jpeg"))"
else
  say "building $(basename "$jpeg")"
  build=$deps/build/libjpeg-turbo
  rm -rf "$build" "$build.log" && mkdir -p "$build"
  logged "$build.log" "libjpeg-turbo: configuration" emcmake_configure -S "$jpeg" -B "$build" \
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_SIMD=0
  logged "$build.log" "libjpeg-turbo: build" cmake --build "$build" -j "$jobs" --target jpeg-static
  cp "$build/libjpeg.a" "$prefix/lib/"
  cp "$build/jconfig.h" "$jpeg/jpeglib.h" "$jpeg/jmorecfg.h" "$jpeg/jerror.h" "$prefix/include/"
  licences libjpeg-turbo "$jpeg" LICENSE.md README.ijg
  mark_built libjpeg "$jpeg"
fi

mpg123=$(source_dir mpg123)
if up_to_date libmpg123 "$mpg123"; then
  say "libmpg123: cached ($(basename "$mpg123"))"
else
  say "building $(basename "$mpg123")"
  build=$deps/build/mpg123
  rm -rf "$build" "$build.log" && mkdir -p "$build"
  # Only the decoding library, with the portable floating-point decoder: no output modules,
  # no network streams. (Its config.sub predates Emscripten's name: wasm32 is the host.)
  (cd "$build" && logged "$build.log" "mpg123: configuration" emconfigure "$mpg123/configure" \
    --host=wasm32 --prefix="$prefix" --enable-static --disable-shared --enable-modules=no \
    --enable-network=no --with-cpu=generic_fpu --with-audio=dummy)
  logged "$build.log" "mpg123: build" emmake make -C "$build" -j "$jobs" src/libmpg123/libmpg123.la
  cp "$build/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
  cp "$build/src/libmpg123/mpg123.h" "$mpg123/src/libmpg123/fmt123.h" "$prefix/include/"
  licences mpg123 "$mpg123" COPYING
  mark_built libmpg123 "$mpg123"
fi

freetype=$(source_dir freetype)
if up_to_date libfreetype "$freetype"; then
  say "FreeType: cached ($(basename "$freetype"))"
else
  say "building $(basename "$freetype")"
  build=$deps/build/freetype
  rm -rf "$build" "$build.log" "$prefix/include/freetype2" && mkdir -p "$build"
  # The show reads one TrueType font file: none of the optional libraries is needed.
  logged "$build.log" "FreeType: configuration" emcmake_configure -S "$freetype" -B "$build" \
    -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  logged "$build.log" "FreeType: build" cmake --build "$build" -j "$jobs"
  logged "$build.log" "FreeType: install" cmake --install "$build"
  licences freetype "$freetype" LICENSE.TXT docs/FTL.TXT
  mark_built libfreetype "$freetype"
fi

# The upstream tarball alone: Debian's 1.0 diff holds its packaging (debian/), which this
# build does not use, and the archive here does not serve it.
glu=$(source_dir libglu '*.diff.gz')
if up_to_date libGLU "$glu"; then
  say "GLU: cached ($(basename "$glu"))"
else
  say "building $(basename "$glu")"
  build=$deps/build/glu
  rm -rf "$build" "$build.log" && mkdir -p "$build"
  # The C half of the library, as its own build lists it (priorityq-heap.c is included by
  # priorityq.c); the GL calls it makes are served by the platform layer's GL at link time.
  objects=()
  for file in "$glu"/src/libutil/*.c "$glu"/src/libtess/*.c; do
    [ "$(basename "$file")" = priorityq-heap.c ] && continue
    object=$build/$(basename "$(dirname "$file")")-$(basename "$file" .c).o
    logged "$build.log" "GLU: compiling $(basename "$file")" emcc -O2 -DLIBRARYBUILD \
      -I"$glu/include" -I"$glu/src/include" -c "$file" -o "$object"
    objects+=("$object")
  done
  rm -f "$prefix/lib/libGLU.a"
  logged "$build.log" "GLU: archive" emar rcs "$prefix/lib/libGLU.a" "${objects[@]}"
  mkdir -p "$prefix/include/GL"
  cp "$glu/include/GL/glu.h" "$prefix/include/GL/"
  # Its licence is the one every source file opens with.
  licences glu "$glu"
  sed -n '2,/\*\//{/\*\//d;s/^ \* \{0,1\}//;s/^ \*$//;p}' "$glu/include/GL/glu.h" >"$prefix/share/licenses/glu/LICENSE"
  mark_built libGLU "$glu"
fi
