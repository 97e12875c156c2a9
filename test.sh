#!/usr/bin/env bash
# Sets everything up, then runs the whole test suite; the exit status is the suite's.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cd build
exec ctest --output-on-failure -j "$(nproc)" "$@"
