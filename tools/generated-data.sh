#!/usr/bin/env bash
# Makes sure a data directory holds the show's content as the Linux build generates it, for the
# Windows and web builds that pack it.
#
#   tools/generated-data.sh DATA_DIR
#
# Succeeds at once where DATA_DIR holds generated content. Where it does not and DATA_DIR is the
# source tree's build/data, builds the Linux build's content target there (configuring build/
# without tests first where it is not configured yet; KS_JOBS jobs, all cores by default);
# any other directory without content is an error.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 DATA_DIR" >&2; exit 2; }
data=$1
[ ! -f "$data/.generated" ] || [ ! -f "$data/compilation.mp3" ] || exit 0
if [ "$data" != "$root/build/data" ]; then echo "data: no generated data in $data" >&2; exit 1; fi
echo "data: no data in $data yet: generating it with the Linux build" >&2
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$root/build" -j "${KS_JOBS:-$(nproc)}" --target content
