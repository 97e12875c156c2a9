#!/usr/bin/env bash
# Sets everything up, then plays the show from build/ (extra arguments go to the program).
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cd build
exec ./kelvo-strand "$@"
