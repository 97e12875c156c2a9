#!/usr/bin/env bash
# Installs the Debian packages the show needs (only those missing) and builds it into build/.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libmpg123-dev libjpeg62-turbo-dev libpng-dev libmp3lame-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libgtest-dev clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils file ffmpeg libx11-dev
  # X core fonts (message boxes show), a window manager and a mode-switching X server: the
  # desktop the live tests run on
  xfonts-base openbox wmctrl x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy
  # Windows: the mingw-w64 cross compiler and what the dependencies' sources need; Wine, its
  # fonts and X libraries, and a sound server for the checks under Wine
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev nasm dpkg-dev patch zip unzip
  bzip2 xz-utils wine64 fonts-wine libxrandr2 libxrender1 libxcursor1 libxi6 libxxf86vm1 libxcomposite1
  libxinerama1 libxfixes3 pulseaudio
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
