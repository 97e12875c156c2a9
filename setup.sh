#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that are missing and builds the show into build/.
#
#   ./setup.sh play    what building and playing need; builds the program and its data only
#   ./setup.sh test    that, then the test suite's tools, a deb-src entry for apt (Debian's
#                      sources for the Windows and web builds) and the web checks' node
#                      packages; builds everything with the tests (also what ./setup.sh does)
#   ./setup.sh --list play|test   prints the package list (one a line) and installs nothing
#
# ./run.sh runs `setup.sh play`, ./test.sh `setup.sh test`.
set -euo pipefail
cd "$(dirname "$0")"

# Building and playing: compiler and CMake, the libraries the program links (with their headers),
# the software GL driver, the fonts of the lettering and of the generated pictures, and LAME for
# the generated track. Names that Debian 12 and current Ubuntu LTS releases both have.
play_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libmpg123-dev libjpeg-dev libpng-dev libmp3lame-dev libx11-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
)
# The tests and the other tools: GoogleTest and clang (the fuzzer), ffmpeg (video capture), an
# X server of their own with the desktop pieces the live tests use; a (a|b) entry takes the first
# name the archive has.
test_packages=(
  libgtest-dev clang "libclang-rt-dev|libclang-rt-14-dev"
  xvfb xauth xdotool x11-utils file ffmpeg
  # X core fonts (message boxes show), a window manager and a mode-switching X server: the
  # desktop the live tests run on
  xfonts-base openbox wmctrl x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy
  # Packages: dpkg-shlibdeps reads the package's dependencies from the libraries it links;
  # python3 writes the base system on which the set-up's package list is simulated
  dpkg-dev python3
  # Windows: the mingw-w64 cross compiler and what the dependencies' sources need; Wine, its
  # fonts and X libraries, and a sound server for the checks under Wine
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev nasm patch zip unzip
  bzip2 xz-utils wine64 fonts-wine libxrandr2 libxrender1 libxcursor1 libxi6 libxxf86vm1 libxcomposite1
  libxinerama1 libxfixes3 pulseaudio
  # The web build and its checks: Emscripten, and the three engines to play the page in
  # (Chromium; Firefox ESR; WebKitGTK's MiniBrowser through its WebDriver), a sound server's
  # tools for the null sink they play into
  emscripten chromium firefox-esr webkit2gtk-driver pulseaudio-utils
)
# Node and npm run the web checks' driver; Debian's only where no node is on PATH already (one
# of one's own, say in /usr/local, is kept).
command -v node >/dev/null || test_packages+=(nodejs npm)

usage() { { echo usage:; sed -n '4,8p' "$0" | sed 's/^#//'; } >&2; exit 2; }
[ $# -ge 1 ] || set -- test
list_only=false
if [ "$1" = --list ]; then list_only=true; shift; [ $# -ge 1 ] || usage; fi
case "$1" in
  play) wanted=("${play_packages[@]}") ;;
  test) wanted=("${play_packages[@]}" "${test_packages[@]}") ;;
  *) usage ;;
esac
if $list_only; then printf '%s\n' "${wanted[@]}"; exit 0; fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
updated=false
update() { $updated || { $sudo apt-get update -qq; updated=true; }; }
missing=()
for entry in "${wanted[@]}"; do
  IFS='|' read -r -a names <<<"$entry"
  chosen=""
  for name in "${names[@]}"; do installed "$name" && { chosen=ok; break; }; done
  [ -n "$chosen" ] && continue
  if [ ${#names[@]} -gt 1 ]; then
    update
    for name in "${names[@]}"; do
      apt-cache show "$name" >/dev/null 2>&1 && { chosen=$name; break; }
    done
  fi
  missing+=("${chosen:-${names[0]}}")
done
if [ ${#missing[@]} -gt 0 ]; then
  update
  echo "setup: installing ${#missing[@]} packages and what they depend on: ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" |
    grep --line-buffered -E '^[0-9]+ upgraded|^Need to get|^After this operation' >&2 || true
  for p in "${missing[@]}"; do installed "$p" || { echo "setup: $p did not install" >&2; exit 1; }; done
fi

# What the suite needs beyond packages: Debian's source packages reachable for the Windows and
# web builds (a deb-src entry), and the web checks' node packages, pinned by their lock file.
if [ "$1" = test ]; then
  tools/windows/debian-src.sh --add
  lock=tests/web/package-lock.json
  if [ -f "$lock" ]; then
    stamp=tests/web/node_modules/.ks-lock-sha256
    sum=$(sha256sum "$lock" | cut -d' ' -f1)
    if [ "$(cat "$stamp" 2>/dev/null)" != "$sum" ]; then
      echo "setup: installing the web checks' node packages into tests/web/node_modules (npm ci)" >&2
      npm ci --prefix tests/web --no-audit --no-fund --loglevel=error >&2
      echo "$sum" >"$stamp"
    fi
  fi
fi

if [ "$1" = play ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_BUILD_TESTS=OFF >/dev/null
  cmake --build build -j "$(nproc)" --target kelvo-strand content
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_BUILD_TESTS=ON >/dev/null
  cmake --build build -j "$(nproc)"
fi
