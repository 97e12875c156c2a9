#!/usr/bin/env bash
# The Debian package: built with cpack from the build directory, it holds the program, the data,
# the desktop entry, the icon and the manual page, and depends on the libraries the program
# links. Installed, `kelvo-strand --capture show.mp4` run from a home directory writes the video
# there; removed, nothing it installed is left. A real install changes the machine, so it is
# done only where that is safe (as root on CI, with no kelvo-strand installed before); elsewhere
# the package is unpacked into a scratch tree and run from there, the same check otherwise.
#   package.sh BUILD_DIR
set -u
build=$1
WORK=$(mktemp -d /tmp/ks-package-XXXXXX)
installed_here=false
cleanup() {
  if $installed_here; then dpkg -P kelvo-strand >/dev/null 2>&1; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$WORK"/out/kelvo-strand_*.deb 2>/dev/null | head -1)
[ -f "$deb" ] || fail "no .deb written"
echo "built $(basename "$deb") ($(du -k "$deb" | cut -f1) kB)"

# Its dependencies come from the linked libraries (dpkg-shlibdeps), plus the driver and font.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsdl2-2.0 'libjpeg' libmpg123 libfreetype6 libfontconfig1 libpng16 libglu1 libc6 libgl1-mesa-dri fonts-liberation; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
# ffmpeg serves only video capture: suggested, so a default install (recommended packages too),
# simulated on a base system as packaging.run_list does, leaves it out.
dpkg-deb -f "$deb" Suggests | grep -qw ffmpeg && ! dpkg-deb -f "$deb" Depends Recommends | grep -qw ffmpeg ||
  fail "ffmpeg is not merely suggested: $(dpkg-deb -f "$deb" Recommends Suggests)"
if apt-cache show cmake 2>/dev/null | grep -q '^Package: cmake'; then
  python3 "$(dirname "$0")/base_status.py" "$WORK/status" >/dev/null || fail "no base status"
  apt-get -s -o Dir::State::status="$WORK/status" -o APT::Install-Recommends=true install "$deb" >"$WORK/sim" 2>&1 ||
    { tail -20 "$WORK/sim" >&2; fail "apt-get -s cannot install the package on a base system"; }
  grep -q '^Inst ffmpeg ' "$WORK/sim" && fail "a default install pulls in ffmpeg"
  echo "a default install on a base system: $(grep -c '^Inst ' "$WORK/sim") packages, without ffmpeg"
else
  echo "no apt package lists here: the default install is not simulated"
fi
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$WORK/contents"
for path in /usr/bin/kelvo-strand /usr/share/kelvo-strand/data/compilation.mp3 /usr/share/kelvo-strand/data/golem.jpg \
  /usr/share/applications/kelvo-strand.desktop /usr/share/icons/hicolor/256x256/apps/kelvo-strand.png \
  /usr/share/man/man6/kelvo-strand.6; do
  grep -qx "$path" "$WORK/contents" || fail "the package lacks $path"
done
grep -q '\.generated' "$WORK/contents" && fail "the package holds the build's stamp file"

if [ "$(id -u)" = 0 ] && [ "${CI:-}" = true ] && ! dpkg -s kelvo-strand >/dev/null 2>&1; then
  mode=installed
  installed_here=true
  dpkg -i "$deb" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg -i failed"; }
  program=$(command -v kelvo-strand) || fail "kelvo-strand is not on PATH after the install"
  [ "$program" = /usr/bin/kelvo-strand ] || fail "kelvo-strand on PATH is $program"
  man_page=/usr/share/man/man6/kelvo-strand.6
else
  mode=unpacked
  dpkg-deb -x "$deb" "$WORK/root" || fail "dpkg-deb -x failed"
  program=$WORK/root/usr/bin/kelvo-strand
  man_page=$WORK/root/usr/share/man/man6/kelvo-strand.6
fi

# The desktop entry starts the program by name with the icon's name; the manual page is --help's.
desktop=$(dirname "$man_page")/../../applications/kelvo-strand.desktop
grep -qx 'Exec=kelvo-strand' "$desktop" && grep -qx 'Icon=kelvo-strand' "$desktop" || fail "the desktop entry is wrong"
grep -q 'no\\-fast\\-forward' "$man_page" && grep -q '^\.SH OPTIONS' "$man_page" || fail "the manual page lacks --help's options"
"$program" --version | grep -qx 'kelvo-strand [0-9].*' || fail "--version: $("$program" --version)"

# From a home directory of its own: a one-second video is written there.
mkdir -p "$WORK/home"
(cd "$WORK/home" && HOME=$WORK/home timeout 120 "$program" --capture show.mp4 --from 0 --to 1 2>"$WORK/capture.log") ||
  { cat "$WORK/capture.log" >&2; fail "the $mode program's capture failed"; }
[ -s "$WORK/home/show.mp4" ] || fail "no show.mp4 in the home directory"
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$WORK/home/show.mp4")
[ "$frames" = 26 ] || fail "show.mp4 has $frames frames, wanted 26"
echo "$mode: kelvo-strand --capture show.mp4 from $WORK/home wrote 26 frames there"

if [ "$mode" = installed ]; then
  dpkg -P kelvo-strand >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg -P failed"; }
  installed_here=false
  dpkg -s kelvo-strand >/dev/null 2>&1 && fail "still registered after removal"
  left=$(while read -r p; do [ -f "$p" ] && echo "$p"; done <"$WORK/contents")
  [ -z "$left" ] || fail "left after removal: $left"
  [ ! -e /usr/share/kelvo-strand ] || fail "/usr/share/kelvo-strand is left after removal"
  echo "removed: nothing it installed is left"
fi
echo PASS
