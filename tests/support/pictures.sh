# Picture measures, one library for every check that looks at pictures: screenshots of a live
# run (also under Wine), capture frames, and their comparison. The show's motions advance a fixed
# step per drawn frame, and two runs draw different numbers of frames, so pictures of the same
# music time are compared by measures that agree in scene, not in pixels.
# Sourced after tests/support/checks.sh (fail, WORK, BIN).

# The screen area W x H at (X, Y) as a PNG: grab FILE [W H [X Y]] (640x480 at 0,0 by default,
# where the show's window is under Wine).
grab() { ffmpeg -loglevel error -y -f x11grab -video_size "${2:-640}x${3:-480}" -i "$DISPLAY+${4:-0},${5:-0}" -frames:v 1 "$1"; }
# Part W x H at (X, Y) of picture $1, scaled smoothly to 640x480, into $2: crop_scaled IN OUT W H X Y.
crop_scaled() { ffmpeg -loglevel error -y -i "$1" -vf "crop=$3:$4:$5:$6,scale=640:480:flags=area" "$2"; }
# Mean brightness (0-255) of a picture, or of its part W x H at (X, Y): brightness FILE [W H X Y].
brightness() {
  local crop=""
  [ $# -ge 5 ] && crop="crop=$2:$3:$4:$5,"
  ffmpeg -loglevel error -i "$1" -vf "${crop}scale=1:1:flags=area,format=gray" -f rawvideo - | od -An -tu1 | tr -d ' \n'
}
# The brightest grey value (0-255) in part W x H at (X, Y) of a picture: brightest FILE W H X Y.
brightest() {
  ffmpeg -loglevel error -i "$1" -vf "crop=$2:$3:$4:$5,format=gray" -f rawvideo - | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; i++) if ($i > m) m = $i } END { print m + 0 }'
}
# The picture's rectangle in a screenshot: the bounding box of pixels brighter than grey 4 in
# rows and columns where more than a tenth of them are, printed as "W H X Y".
picture_box() {
  local size
  size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$1")
  ffmpeg -loglevel error -i "$1" -vf format=gray -f rawvideo - | od -An -v -tu1 |
    awk -v w="${size%x*}" -v h="${size#*x}" '
      { for (i = 1; i <= NF; i++) { p = n++; x = p % w; y = int(p / w); if ($i > 4) { col[x]++; row[y]++ } } }
      END { x0 = w; x1 = -1; y0 = h; y1 = -1
            for (x = 0; x < w; x++) if (col[x] > h / 10) { if (x < x0) x0 = x; x1 = x }
            for (y = 0; y < h; y++) if (row[y] > w / 10) { if (y < y0) y0 = y; y1 = y }
            if (x1 < 0 || y1 < 0) print "0 0 0 0"; else print x1 - x0 + 1, y1 - y0 + 1, x0, y0 }'
}

# The picture of $1 averaged down to $2 (W:H), as one line of R G B values.
rgb_bytes() { ffmpeg -loglevel error -i "$1" -vf "scale=$2:flags=area" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 | tr -s ' \n' ' '; }
# Colour histogram distance (0: same colours, 1: none shared): 4x4x4 RGB bins over the
# picture averaged down to 160x120, half the L1 distance of the two normalised histograms.
histogram() {
  rgb_bytes "$1" 160:120 | awk '{ for (i = 1; i <= NF; i++) v[n++] = $i }
    END { for (p = 0; p < n; p += 3) h[int(v[p] / 64) * 16 + int(v[p + 1] / 64) * 4 + int(v[p + 2] / 64)]++
          for (b = 0; b < 64; b++) printf "%d ", h[b] + 0; print "" }'
}
histogram_distance() {
  { histogram "$1"; histogram "$2"; } | awk 'NR == 1 { split($0, a, " ") } NR == 2 { split($0, b, " ") }
    END { d = 0; t = 0; for (i = 1; i <= 64; i++) { x = a[i] - b[i]; d += x < 0 ? -x : x; t += a[i] }
          printf "%.3f", d / 2 / t }'
}
# Mean colour per region: the pictures averaged down to $3 (W:H, 8:6 by default) cells; the
# mean absolute difference of the cells' red, green and blue (0-255).
region_distance() {
  { rgb_bytes "$1" "${3:-8:6}"; echo; rgb_bytes "$2" "${3:-8:6}"; echo; } |
    awk 'NR == 1 { n = split($0, a, " ") } NR == 2 { split($0, b, " ") }
      END { d = 0; for (i = 1; i <= n; i++) { x = a[i] - b[i]; d += x < 0 ? -x : x } printf "%.1f", d / n }'
}
# Mean colour of the whole picture: "R G B" (0-255, with decimals).
mean_colour() {
  ffmpeg -loglevel error -i "$1" -vf "scale=64:48:flags=area" -frames:v 1 -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; i++) { s[n % 3] += $i; n++ } } END { printf "%.2f %.2f %.2f", 3 * s[0] / n, 3 * s[1] / n, 3 * s[2] / n }'
}
# Largest channel difference of two "R G B" means.
colour_distance() {
  echo "$1 $2" | awk '{ d = 0; for (i = 1; i <= 3; i++) { x = $i - $(i + 3); x = x < 0 ? -x : x; if (x > d) d = x } printf "%.2f", d }'
}
# awk as a calculator for comparisons of decimals: `is 0.12 "<=" 0.35`.
is() { awk -v a="$1" -v b="$3" "BEGIN { exit !(a $2 b) }"; }

# Same scene: the thresholds the Windows checks calibrated (the right scene came within 0.21 and
# 25, within 0.42 and 32 on an oversubscribed machine; every other scene is at least 0.58 and
# 41 away, a black screen 0.63 and 74). same_scene LIVE CAPTURE LABEL; prints the measures.
same_scene() {
  local hist region
  hist=$(histogram_distance "$1" "$2") region=$(region_distance "$1" "$2")
  echo "$3: histogram distance $hist, region distance $region"
  is "$hist" "<=" 0.45 && is "$region" "<=" 35
}

# The capture frames at music seconds $2 (comma-separated) into directory $1: one virtual-time
# run of $BIN from $WORK/capture-home, where $DATA is linked as data/.
capture_frames() {
  mkdir -p "$WORK/capture-home" && ln -sfn "$(realpath -m "$DATA")" "$WORK/capture-home/data"
  (cd "$WORK/capture-home" && KS_FIXED_TIME=12:34:56 "$BIN" --capture "$1" --at "$2" >/dev/null 2>"$1.log") ||
    { cat "$1.log" >&2; fail "the capture at $2 s failed"; }
  ls "$1"/frame-*.png >/dev/null 2>&1 || fail "the capture at $2 s wrote no frame"
}

# Screenshots judged by the frames the program really drew (its clock trace, checks.sh): `shoot
# NAME [W H X Y]` grabs the screen area into $WORK/NAME.png and notes the frames drawn around it;
# once the run is over, `capture_shots` draws the capture frames of those numbers of frames (one
# virtual-time run for all shots), and `judge_shot NAME LABEL` compares the screenshot with the
# closest of them by regions (same_scene; the picture may be given as a third argument, say a
# crop of the screenshot) and prints the frame and its measures (BEST, BEST_MS); `shot_music
# NAME` gives the music played meanwhile, for what the schedule shows by the music's time.
# Frame F of a run that started its music at M1 with frame F1 shows the motion of the capture
# frame at M1 + (F - F1) x 40 ms; the window allows half a second before the frames drawn and a
# second after (a scene drawn only part of the time lags the frame count by up to a second).
SHOTS_NOTED=""
shoot() {
  local name=$1
  shift
  drawn_since_mark
  grab "$WORK/$name.png" "$@"
  drawn_until_mark
  SHOTS_NOTED="$SHOTS_NOTED $name:$DRAWN_FROM:$DRAWN_TO:$MUSIC_FROM:$MUSIC_TO"
}
# The music played while screenshot $1 was taken, at least and at most: "FROM TO" (seconds).
shot_music() { tr ' ' '\n' <<<"$SHOTS_NOTED" | grep "^$1:" | awk -F: '{print $4, $5}'; }
shot_window_ms() {  # NAME -> "FROM TO" in music milliseconds, multiples of 40
  local entry first
  entry=$(tr ' ' '\n' <<<"$SHOTS_NOTED" | grep "^$1:") || fail "no screenshot $1 was noted"
  first=$(clock_line 1)
  awk -v e="$entry" -v f="$first" 'BEGIN { split(e, s, ":"); split(f, c, " ")
      start = int(c[1] * 25 + 0.5) - c[3]
      lo = start + s[2] - 12; hi = start + s[3] + 25; if (lo < 0) lo = 0
      print lo * 40, hi * 40 }'
}
capture_shots() {
  local name times="" window
  for name in $(tr ' ' '\n' <<<"$SHOTS_NOTED" | cut -d: -f1); do
    window=$(shot_window_ms "$name")
    times="$times$(awk -v w="$window" 'BEGIN { split(w, b, " "); for (ms = b[1]; ms <= b[2]; ms += 160) printf ",%.2f", ms / 1000 }')"
  done
  rm -rf "$WORK/shot-frames"
  capture_frames "$WORK/shot-frames" "${times#,}"
}
judge_shot() {
  local window from to frame number distance d shot picture=${3:-$WORK/$1.png}
  window=$(shot_window_ms "$1")
  from=${window% *} to=${window#* }
  shot=$(rgb_bytes "$picture" 8:6)
  BEST="" BEST_MS="" distance=256
  for frame in "$WORK"/shot-frames/frame-*.png; do
    number=$(basename "$frame" .png)
    number=$((10#${number#frame-} * 40))
    [ "$number" -ge "$from" ] && [ "$number" -le "$to" ] || continue
    d=$( { echo "$shot"; rgb_bytes "$frame" 8:6; echo; } |
      awk 'NR == 1 { n = split($0, a, " ") } NR == 2 { split($0, b, " ") }
        END { d = 0; for (i = 1; i <= n; i++) { x = a[i] - b[i]; d += x < 0 ? -x : x } printf "%.1f", d / n }')
    is "$d" "<" "$distance" && { BEST=$frame BEST_MS=$number distance=$d; }
  done
  [ -n "$BEST" ] || fail "$2: no capture frame between $from and $to ms"
  echo "$2: frames drawn put it at $from to $to ms of motion; the closest capture frame is the one at $BEST_MS ms"
  same_scene "$picture" "$BEST" "$2"
}

# The detail a picture has beyond 640x480: the mean grey difference (0 to 255) between the
# WIDTHxHEIGHT crop at X,Y of $1 and that crop reduced to 640x480 and enlarged again.
detail() {
  ffmpeg -loglevel error -i "$1" -filter_complex "crop=$2:$3:$4:$5,format=gray,split[a][b];[b]scale=640:480:flags=area,scale=$2:$3:flags=bilinear[c];[a][c]blend=all_mode=difference,signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=-" -f null - |
    awk -F= '/YAVG/ { printf "%.2f\n", $2 }'
}
