# shellcheck shell=bash disable=SC2154  # deps, prefix and recipe are the sourcing script's
# Sourced by the dependency scripts of the Windows and web builds (tools/windows/deps.sh,
# tools/web/deps.sh): Debian's source packages of the archive this machine uses, fetched once,
# checked and unpacked, and the bookkeeping of the libraries built from them.
#
# The sourcing script sets `deps` (sources are fetched into $deps/src/PACKAGE), `prefix` (where
# it installs; the marks of what was built are kept there), `recipe` (what its builds are made
# with: a hash of its scripts, this one among them, and its compiler) and `target` (what the
# libraries are for, in its lines: "" or " for x86_64"), and gets:
#   say TEXT               a line "deps: TEXT" on standard error
#   source_dir PKG [SKIP]  prints the directory of the unpacked source package PKG, fetching it
#                          the first time; files matching the pattern SKIP are not fetched
#   begin_build LIB PKG BUILD LABEL [SKIP]
#                          sets `src` to PKG's unpacked source (source_dir) and, unless library
#                          LIB is installed from it by this recipe already ("LABEL: cached"),
#                          empties the build directory BUILD and its log BUILD.log and is true;
#                          mark_built LIB then records that LIB is installed from `src`
#   logged LOG WHAT CMD... runs CMD with its output added to LOG, shown when CMD fails
#
# apt needs a deb-src entry, which ./setup.sh test adds (tools/windows/debian-src.sh). Each file
# `apt-get source --print-uris` names is fetched against the checksum of the archive's signed
# index, and checked again against its package's .dsc, but not the upstream signatures (*.asc),
# which the archive need not serve and which the checksums stand for.

debian_source_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
say() { echo "deps: $*" >&2; }
for tool in apt-get patch tar sha256sum; do
  command -v "$tool" >/dev/null || { say "$tool is missing (./setup.sh installs it)"; exit 1; }
done
[ -x /usr/lib/apt/apt-helper ] || { say "apt's apt-helper is missing"; exit 1; }

# Unpacks the upstream tarball $1 into the directory $2: its one top folder becomes it (the usual
# case), or loose files go into it.
unpack_tarball() {
  rm -rf unpack && mkdir unpack && tar -xf "$1" -C unpack || return 1
  if [ "$(ls -A unpack | wc -l)" -eq 1 ] && [ -d "unpack/$(ls -A unpack)" ]; then
    mv "unpack/$(ls -A unpack)" "$2" && rmdir unpack
  else
    mv unpack "$2"
  fi
}

# Unpacks the source package whose files were fetched into the current directory (files matching
# the pattern $1 were left out) into the directory it names on standard output: every other file
# of the .dsc must be there and match its checksum; then the upstream tarball, then Debian's
# changes (a 1.0 diff, or a 3.0 debian tarball whose patch series is applied as dpkg-source
# would).
unpack() {
  local skip=${1:-} dsc format source version upstream dir orig patch level component name sum
  dsc=$(ls ./*.dsc 2>/dev/null | head -1)
  [ -n "$dsc" ] || { say "no .dsc was fetched"; return 1; }
  # (Called where errexit does not hold: every step checks its own result.)
  while read -r sum _ name; do
    case "$name" in *.asc) continue ;; esac
    # shellcheck disable=SC2254
    [ -n "$skip" ] && case "$name" in $skip) continue ;; esac
    [ -f "$name" ] || { say "$name was not fetched"; return 1; }
    echo "$sum  $name" | sha256sum -c --quiet - || { say "$name does not match its .dsc"; return 1; }
  done < <(sed -n '/^Checksums-Sha256:/,/^[A-Z]/{/^ /p}' "$dsc")
  format=$(sed -n 's/^Format: //p' "$dsc")
  source=$(sed -n 's/^Source: //p' "$dsc")
  version=$(sed -n 's/^Version: //p' "$dsc")
  upstream=${version#*:}
  [ "$format" = "3.0 (native)" ] || upstream=${upstream%-*}
  dir=$source-$upstream
  orig=$(ls ./*.orig.tar.* ./*_"$upstream".tar.* 2>/dev/null | grep -v '\.asc$' | head -1)
  [ -n "$orig" ] || { say "$source: no upstream tarball"; return 1; }
  rm -rf "$dir" && unpack_tarball "$orig" "$dir" || return 1
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
        unpack_tarball "$component" "$dir/${name%%.tar.*}" || return 1
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

source_dir() {
  local pkg=$1 skip=${2:-} fetch=$deps/src/$1 uri name hash dir
  if [ -f "$fetch/.unpacked" ] && [ -d "$fetch/$(cat "$fetch/.unpacked")" ]; then
    echo "$fetch/$(cat "$fetch/.unpacked")"
    return
  fi
  "$debian_source_tools/windows/debian-src.sh" "$pkg" >&2
  rm -rf "$fetch" && mkdir -p "$fetch"
  say "fetching Debian's source of $pkg"
  apt-get source --print-uris -qq "$pkg" >"$fetch/uris" 2>"$fetch/apt.log" ||
    { cat "$fetch/apt.log" >&2; say "apt knows no source package $pkg"; exit 1; }
  while read -r uri name _ hash; do
    case "$name" in *.asc) continue ;; esac
    # shellcheck disable=SC2254
    [ -n "$skip" ] && case "$name" in $skip) continue ;; esac
    /usr/lib/apt/apt-helper -qq download-file "${uri//\'/}" "$fetch/$name" "$hash" >>"$fetch/apt.log" 2>&1 ||
      { grep -v unsandboxed "$fetch/apt.log" >&2; say "could not fetch $name"; exit 1; }
  done <"$fetch/uris"
  dir=$(cd "$fetch" && unpack "$skip") || { say "could not unpack $pkg"; exit 1; }
  echo "$dir" >"$fetch/.unpacked"
  echo "$fetch/$dir"
}

begin_build() {
  local lib=$1 pkg=$2 build=$3 label=$4 skip=${5:-}
  src=$(source_dir "$pkg" "$skip") || exit 1
  if [ "$(cat "$prefix/.$lib" 2>/dev/null)" = "$(basename "$src") $recipe" ]; then
    say "$label$target: cached ($(basename "$src"))"
    return 1
  fi
  say "building $(basename "$src")$target"
  rm -rf "$build" "$build.log" && mkdir -p "$build" || { say "cannot make $build"; exit 1; }
}
mark_built() { echo "$(basename "$src") $recipe" >"$prefix/.$1"; }

logged() {
  local log=$1 what=$2
  shift 2
  "$@" >>"$log" 2>&1 || { tail -30 "$log" >&2; say "$what failed ($log)"; exit 1; }
}
