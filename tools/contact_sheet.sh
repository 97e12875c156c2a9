#!/usr/bin/env bash
# Contact sheet of the show: one virtual-time capture of just the chosen frames (the frames
# between them run fast-forward, since all motion advances per frame), then ffmpeg labels each
# with its show time and tiles them into one PNG.
#   tools/contact_sheet.sh [-b BUILD_DIR] [-o OUT.png] [-c COLUMNS] [SECONDS...]
# BUILD_DIR holds kelvo-strand and data/ (default: build). Default times: two or so per scene.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
out="$here/docs/contact-sheet.png"
columns=""
while getopts "b:o:c:" option; do
  case "$option" in
    b) build="$(cd "$OPTARG" && pwd)" ;;
    o) out="$OPTARG" ;;
    c) columns="$OPTARG" ;;
    *) echo "usage: $0 [-b BUILD_DIR] [-o OUT.png] [-c COLUMNS] [SECONDS...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
times=("$@")
if [ ${#times[@]} = 0 ]; then
  # Opening wall and panels; model room, then split with the side and top panels; the slab over
  # the split and alone; clock hall flight, orbit, tunnel and jolts; the hall shrinking over the
  # funnel burst; ring tube without and with rosette; title board; water room and credits.
  times=(6 20 32 50 67 80 94 98 112 120 127.68 135 145 160 185 205)
fi
command -v ffmpeg >/dev/null || { echo "contact sheet: ffmpeg is not installed" >&2; exit 1; }
[ -x "$build/kelvo-strand" ] || { echo "contact sheet: no $build/kelvo-strand (build it first)" >&2; exit 1; }
[ -d "$build/data" ] || { echo "contact sheet: no $build/data (build the content target)" >&2; exit 1; }

# Sorted times, their frame numbers (frame N is music time N x 0.040 s) and the grid.
mapfile -t frames < <(printf '%s\n' "${times[@]}" | awk '{ printf "%d\n", $1 / 0.04 + 0.5 }' | sort -n | uniq)
count=${#frames[@]}
first=${frames[0]}
last=${frames[count - 1]}
[ -n "$columns" ] || columns=$(awk -v n="$count" 'BEGIN { c = int(sqrt(n)); if (c * c < n) c++; print c }')
rows=$(( (count + columns - 1) / columns ))
from=$(awk -v f="$first" 'BEGIN { printf "%.2f", f * 0.04 }')
to=$(awk -v f="$last" 'BEGIN { printf "%.2f", f * 0.04 }')

work="$(mktemp -d /tmp/ks-sheet-XXXXXX)"
trap 'rm -rf "$work"' EXIT
at=$(printf '%s\n' "${frames[@]}" | awk '{ printf "%s%.2f", (NR > 1 ? "," : ""), $1 * 0.04 }')
echo "contact sheet: capturing $count frames from ${from} s to ${to} s" >&2
(cd "$build" && KS_FIXED_TIME="${KS_FIXED_TIME:-12:34:56}" ./kelvo-strand --capture "$work/frames" --at "$at")

font="$(fc-match -f '%{file}' 'DejaVu Sans:bold' 2>/dev/null || true)"
cell=0
for frame in "${frames[@]}"; do
  png=$(printf '%s/frames/frame-%05d.png' "$work" "$frame")
  [ -f "$png" ] || { echo "contact sheet: the capture wrote no frame $frame" >&2; exit 1; }
  filter="scale=320:240"
  if [ -n "$font" ] && [ -f "$font" ]; then
    label=$(awk -v f="$frame" 'BEGIN { printf "%.2f s", f * 0.04 }')
    filter+=",drawtext=fontfile=$font:fontsize=18:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=4:x=8:y=8:text='$label'"
  fi
  ffmpeg -hide_banner -loglevel error -nostdin -y -i "$png" -vf "$filter" "$(printf '%s/cell-%03d.png' "$work" "$cell")"
  cell=$((cell + 1))
done
mkdir -p "$(dirname "$out")"
ffmpeg -hide_banner -loglevel error -nostdin -y -framerate 1 -i "$work/cell-%03d.png" \
  -vf "tile=${columns}x${rows}:padding=4:margin=4" -frames:v 1 -update 1 "$out"
echo "contact sheet: $out (${columns}x${rows}, $count frames)" >&2
