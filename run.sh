#!/usr/bin/env bash
# Installs what building and playing need (only what is missing, said first), builds the program
# and its data, then plays the show (extra arguments go to the program, e.g. --windowed). The
# program runs where this was started: it finds its data beside itself, a capture's file lands
# here, and what it suggests (a capture, without a display) can be typed here as it is.
set -euo pipefail
clone="$(cd "$(dirname "$0")" && pwd)"
"$clone/setup.sh" play
exec "$clone/build/kelvo-strand" "$@"
