#!/usr/bin/env bash
# Installs what building, playing and testing need, builds everything with the test suite, then
# runs it; the exit status is the suite's (extra arguments go to ctest, e.g. -L e2e).
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh test
cd build
exec ctest --output-on-failure -j "$(nproc)" "$@"
