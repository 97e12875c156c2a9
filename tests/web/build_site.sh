#!/usr/bin/env bash
# The web checks' fixture: builds the page with tools/web/build.sh (its arguments: the suite gives
# --build-dir build/web, so the site is build/web/site). Without
# Emscripten it is skipped (status 77), except on CI (CI=true), where that is a failure.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
if ! command -v emcc >/dev/null; then
  case "${CI:-}" in
    1 | true | TRUE | True | yes) echo "FAIL: emcc is not installed (./setup.sh installs emscripten)" >&2; exit 1 ;;
  esac
  echo "SKIP: emcc is not installed (./setup.sh installs emscripten)"
  exit 77
fi
exec "$root/tools/web/build.sh" "$@"
