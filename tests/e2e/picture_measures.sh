# Picture measures for comparing two frames of the same music time drawn at different sizes:
# both are averaged down to a common size first, so they agree in composition and colour, not
# in pixels. Sourced by the capture scripts.
#
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
# Mean colour per region: the pictures averaged down to $3 (W:H) cells; the mean absolute
# difference of the cells' red, green and blue (0-255).
region_distance() {
  { rgb_bytes "$1" "$3"; echo; rgb_bytes "$2" "$3"; echo; } |
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
