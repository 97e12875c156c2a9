#!/usr/bin/env bash
# Builds the drawing cases for the browser into OUT_DIR: web_cases.js/.wasm (the cases over the
# OpenGL 1.1 stand-in of src/platform/webgl on WebGL 2, GLU from the web build's dependencies),
# with page.html beside them. The native runner is the build's webgl_cases target.
#   tests/webgl/build.sh OUT_DIR [DEPS_DIR (default build/web/deps)]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$1
deps=${2:-$root/build/web/deps}
[ -f "$deps/lib/libGLU.a" ] || { echo "no GLU for the web in $deps (tools/web/deps.sh $deps builds it)" >&2; exit 1; }
source "$root/tools/web/emscripten-env.sh"
mkdir -p "$out"
export OUT=$out
here=$root/tests/webgl
flags=(-std=c++17 -O2 -Wall -Wextra -Wno-unused-parameter -I"$root/src" -I"$here" -I"$deps/include")

# Two compilers at a time.
sources=("$root"/src/platform/webgl/*.cpp "$here/web_cases.cpp" "$here/gl_cases.cpp")
objects=()
for file in "${sources[@]}"; do objects+=("$out/$(basename "$file" .cpp).o"); done
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} sh -c 'em++ "$@" -c "$0" -o "$OUT/$(basename "$0" .cpp).o"' {} "${flags[@]}"
em++ -O2 -o "$out/web_cases.js" "${objects[@]}" "$deps/lib/libGLU.a" \
  -sMODULARIZE=1 -sEXPORT_NAME=createWebCases -sMAX_WEBGL_VERSION=2 -sMIN_WEBGL_VERSION=2 \
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sEXIT_RUNTIME=1
cp "$here/page.html" "$out/"
