#!/usr/bin/env bash
# Installs what building and playing need (only what is missing, said first), builds the program
# and its data, then plays the show (extra arguments go to the program, e.g. --windowed).
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh play
cd build
exec ./kelvo-strand "$@"
